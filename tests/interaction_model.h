// The button's interaction (flags, looks painted, content offset, hover timer and events in order)
// as a transition table, and a driver that runs the table side by side with the control through
// random host notifications, failing at the first step where the two disagree.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"

namespace brelund::testing {

using Effects = std::vector<std::string>;

// Records what the control does, in the same vocabulary the model predicts.
struct Recorder final : host::EventSink, host::Observer {
  Effects effects;
  headless::Button* button = nullptr;
  void paint_begin(bool lit, bool pressed) override {
    effects.push_back(std::string("paint ") + (lit ? "L" : "-") + (pressed ? "P" : "-"));
  }
  void laid_out() override {
    effects.push_back("layout " +
                      std::to_string(static_cast<int>(internals(*button).label.top()) - 330));
  }
  void Click() override { effects.push_back("Click"); }
  void KeyDown(std::int16_t&, std::int16_t&) override { effects.push_back("KeyDown"); }
  void KeyPress(std::int16_t&) override { effects.push_back("KeyPress"); }
  void KeyUp(std::int16_t&, std::int16_t&) override { effects.push_back("KeyUp"); }
  void MouseDown(std::int16_t&, std::int16_t&, float&, float&) override {
    effects.push_back("MouseDown");
  }
  void MouseMove(std::int16_t&, std::int16_t&, float&, float&) override {
    effects.push_back("MouseMove");
  }
  void MouseUp(std::int16_t&, std::int16_t&, float&, float&) override {
    effects.push_back("MouseUp");
  }
};

// The model: the button's interaction written as a transition table, from the behaviour as it is
// specified (the flags, the looks, the content's place and the events, in order), not from the
// control's code. Each row is a notification, a guard on the facts of the moment and what
// follows; the first row of the notification whose guard holds applies.
enum class Note {
  mouse_down,
  mouse_move,
  mouse_up,
  key_down,
  key_up,
  focus_in,
  focus_out,
  tick,
  rebuild
};
enum class Is : signed char { any = -1, no = 0, yes = 1 };  // a guard cell, or "unchanged"

// What is known when a notification arrives: the state before it and its arguments.
struct Facts {
  bool left, still, over, timer, h, p;  // left: Button is 1; still: Button is 0
  bool presses, arms, release_key, armed;
};

struct Row {
  Note note;
  struct {
    Is left = Is::any, still = Is::any, over = Is::any, timer = Is::any, h = Is::any, p = Is::any;
    Is presses = Is::any, arms = Is::any, release_key = Is::any, armed = Is::any;
  } when;
  Is h, p, timer;
  enum Arm : signed char { keep, clear, key } arm;
  const char* outputs;  // ';'-separated: "paint" lit/pressed, "layout" offset, events
};

constexpr Is Y = Is::yes, N = Is::no, _ = Is::any;
using enum Note;
// clang-format off
inline constexpr Row kTable[] = {
  // note       when                                                   H  P  timer arm         outputs
  {mouse_down, {.left = Y},                                            Y, Y, _, Row::keep,  "MouseDown;layout 0;paint LP"},
  {mouse_down, {},                                                     _, N, _, Row::keep,  "MouseDown"},
  {mouse_move, {.left = Y, .over = Y},                                 Y, Y, _, Row::keep,  "paint LP;layout 15;MouseMove"},
  {mouse_move, {.left = Y, .over = N},                                 N, N, _, Row::keep,  "paint --;layout 0;MouseMove"},
  {mouse_move, {.still = Y, .over = Y, .timer = N},                    _, _, Y, Row::keep,  "paint L-;MouseMove"},
  {mouse_move, {},                                                     _, _, _, Row::keep,  "MouseMove"},
  {mouse_up,   {.left = Y, .over = Y, .h = Y},                         _, N, _, Row::keep,  "paint L-;layout 0;Click;MouseUp"},
  {mouse_up,   {.left = Y, .over = Y, .h = N},                         _, N, _, Row::keep,  "paint --;layout 0;Click;MouseUp"},
  {mouse_up,   {.left = Y, .over = N, .h = Y},                         _, N, _, Row::keep,  "paint L-;layout 0;MouseUp"},
  {mouse_up,   {.left = Y, .over = N, .h = N},                         _, N, _, Row::keep,  "paint --;layout 0;MouseUp"},
  {mouse_up,   {},                                                     _, _, _, Row::keep,  "MouseUp"},
  // A key that presses arms its release; Enter arms it on any focused button, pressed or not.
  {key_down,   {.presses = Y},                                         Y, Y, _, Row::key,   "paint LP;layout 15;KeyDown"},
  {key_down,   {.arms = Y},                                            Y, _, _, Row::key,   "KeyDown"},
  {key_down,   {},                                                     Y, _, _, Row::keep,  "KeyDown"},
  // Only the release of the key that armed it clicks.
  {key_up,     {.release_key = Y, .armed = Y},                         Y, N, _, Row::clear, "paint L-;layout 0;Click;KeyUp"},
  {key_up,     {.release_key = Y},                                     Y, N, _, Row::clear, "paint L-;layout 0;KeyUp"},
  {key_up,     {},                                                     _, _, _, Row::keep,  "KeyUp"},
  {focus_in,   {},                                                     Y, _, _, Row::keep,  "paint L-"},
  {focus_out,  {},                                                     N, _, _, Row::clear, "paint --"},
  {tick,       {.over = N, .timer = Y, .h = Y, .p = Y},                _, _, N, Row::keep,  "paint LP"},
  {tick,       {.over = N, .timer = Y, .h = Y, .p = N},                _, _, N, Row::keep,  "paint L-"},
  {tick,       {.over = N, .timer = Y, .h = N, .p = Y},                _, _, N, Row::keep,  "paint -P"},
  {tick,       {.over = N, .timer = Y, .h = N, .p = N},                _, _, N, Row::keep,  "paint --"},
  {tick,       {},                                                     _, _, _, Row::keep,  ""},
  // A property that rebuilds the face draws it released, lit through the flag, and lays out.
  {rebuild,    {.h = Y, .p = Y},                                       _, _, _, Row::keep,  "paint L-;layout 15"},
  {rebuild,    {.h = Y, .p = N},                                       _, _, _, Row::keep,  "paint L-;layout 0"},
  {rebuild,    {.h = N, .p = Y},                                       _, _, _, Row::keep,  "paint --;layout 15"},
  {rebuild,    {.h = N, .p = N},                                       _, _, _, Row::keep,  "paint --;layout 0"},
};
// clang-format on

struct Model {
  bool H = false, P = false, timer = false, over = false, enabled = true;
  bool is_default = false, is_cancel = false;
  int armed = 0;  // the key whose release clicks
  Effects fx;

  void apply(Note note, int button = 0, int key = 0) {
    const bool presses = key == 32 || (is_cancel && key == 27) || (is_default && key == 13);
    const Facts f{.left = button == 1,
                  .still = button == 0,
                  .over = over,
                  .timer = timer,
                  .h = H,
                  .p = P,
                  .presses = presses,
                  .arms = presses || key == 13,  // Enter arms any focused button
                  .release_key = key == 13 || key == 32 || key == 27,
                  .armed = armed != 0 && armed == key};
    const auto holds = [](Is cell, bool fact) {
      return cell == Is::any || (cell == Is::yes) == fact;
    };
    for (const Row& r : kTable) {
      const auto& w = r.when;
      if (r.note != note || !holds(w.left, f.left) || !holds(w.still, f.still) ||
          !holds(w.over, f.over) || !holds(w.timer, f.timer) || !holds(w.h, f.h) ||
          !holds(w.p, f.p) || !holds(w.presses, f.presses) || !holds(w.arms, f.arms) ||
          !holds(w.release_key, f.release_key) || !holds(w.armed, f.armed))
        continue;
      if (r.h != Is::any) H = r.h == Is::yes;
      if (r.p != Is::any) P = r.p == Is::yes;
      if (r.timer != Is::any) timer = r.timer == Is::yes;
      if (r.arm == Row::clear) armed = 0;
      if (r.arm == Row::key) armed = key;
      for (std::string_view rest = r.outputs; !rest.empty();) {
        const auto end = std::min(rest.find(';'), rest.size());
        fx.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
      }
      return;
    }
  }
  // Access keys press and release as the key would, and do nothing while disabled.
  void access(int key) {
    if (!enabled) return;
    apply(Note::key_down, 0, key);
    apply(Note::key_up, 0, key);
  }
  void set_enabled(bool on) {
    enabled = on;
    apply(Note::rebuild);
  }
};

// Drives `steps` random notifications; with `properties`, rebuilding property changes (caption,
// colours, shape, picture) are mixed in. Calls `probe` every 1000 steps.
inline void drive(std::uint32_t seed, long steps, bool properties = false,
                  const std::function<void(long)>& probe = {}) {
  Recorder rec;
  headless::Button b(&rec, &rec, [](const Font&, const std::string&) {
    return headless::TextSize{29, 13};
  });
  rec.button = &b;
  Boton& c = b.control();
  c.InitProperties();
  c.Show();
  Model m;
  std::mt19937 rng(seed);
  const int buttons[] = {0, 1, 1, 1, 2, 3, 4};
  const int keys[] = {32, 32, 13, 27, 65};
  int pointer = 1;
  for (long i = 0; i < steps; ++i) {
    if (probe && i % 1000 == 0) probe(i);
    rec.effects.clear();
    m.fx.clear();
    std::int16_t btn = static_cast<std::int16_t>(buttons[rng() % 7]), shift = 0;
    std::int16_t key = static_cast<std::int16_t>(keys[rng() % 5]);
    float x = 10, y = 10;
    std::string what;
    // The pointer is over the centre, away, or at the top-left pixel, which the mask cuts away
    // whenever the corners are rounded: whether that pixel belongs to the window is the mask's
    // business, not the model's, so the model reads it.
    m.over = pointer == 0 || (pointer == 2 && internals(b).surface.opaque_at(0, 0));
    switch (rng() % (properties ? 15 : 14)) {
      case 0:
        what = "down";
        c.MouseDown(btn, shift, x, y);
        m.apply(Note::mouse_down, btn);
        break;
      case 1:
      case 2:
        what = "move";
        c.MouseMove(btn, shift, x, y);
        m.apply(Note::mouse_move, btn);
        break;
      case 3:
        what = "up";
        c.MouseUp(btn, shift, x, y);
        m.apply(Note::mouse_up, btn);
        break;
      case 4:
        what = "keydown";
        c.KeyDown(key, shift);
        m.apply(Note::key_down, 0, key);
        break;
      case 5:
        what = "keyup";
        c.KeyUp(key, shift);
        m.apply(Note::key_up, 0, key);
        break;
      case 6:
        what = "access";
        c.AccessKeyPress(key);
        m.access(key);
        break;
      case 7: {
        const int f = static_cast<int>(rng() % 4);
        what = "focus";
        if (f == 0)
          c.EnterFocus();
        else if (f == 1)
          c.GotFocus();
        else if (f == 2)
          c.ExitFocus();
        else
          c.LostFocus();
        m.apply(f < 2 ? Note::focus_in : Note::focus_out);
        break;
      }
      case 8:
      case 9:
        what = "tick";
        b.tick();
        m.apply(Note::tick);
        break;
      case 10: {
        pointer = static_cast<int>(rng() % 3);
        what = "pointer";
        if (pointer == 0)
          b.pointer_over();
        else if (pointer == 1)
          b.pointer_away();
        else
          b.pointer_at(0, 0);
        break;
      }
      case 11: {
        what = "extender";
        m.is_default = rng() % 2;
        m.is_cancel = rng() % 2;
        internals(b).surface.set_extender(m.is_default, m.is_cancel);
        break;
      }
      case 12: {
        what = "enabled";
        const bool on = rng() % 3 != 0;
        c.set_Enabled(to_bool16(on));
        m.set_enabled(on);
        // The rebuild also redraws the mask and tells the host; the model tracks the look only.
        break;
      }
      case 13:
        what = "press";
        c.KeyPress(key);
        m.fx.push_back("KeyPress");
        break;
      default: {
        what = "property";
        switch (rng() % 5) {
          case 0:
            c.set_Caption(std::string(rng() % 40, 'x'));
            break;
          case 1:
            c.set_BackColor(static_cast<OleColor>(rng()));
            break;
          case 2:
            c.set_RoundSize(static_cast<std::int32_t>(rng() % 300) - 20);
            break;
          case 3:
            c.set_Light(static_cast<std::int32_t>(rng() % 200) - 100);
            break;
          default:
            c.set_Picture(rng() % 2 ? make_picture(16, 16, {}) : nullptr);
            break;
        }
        m.apply(Note::rebuild);
        break;
      }
    }
    const BotonFields f = c.fields();
    ASSERT_EQ(rec.effects, m.fx) << "step " << i << " (" << what << "), seed " << seed;
    ASSERT_EQ(f.m_Highlighted != 0, m.H) << "step " << i << " (" << what << ")";
    ASSERT_EQ(f.m_Pressed != 0, m.P) << "step " << i << " (" << what << ")";
    ASSERT_EQ(internals(b).timer.enabled(), m.timer) << "step " << i << " (" << what << ")";
  }
}

}  // namespace brelund::testing
