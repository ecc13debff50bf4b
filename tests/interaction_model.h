// An independent model of the button's interaction (flags, looks painted, content offset, hover
// timer and events in order) and a driver that runs it side by side with the control through
// random host notifications, failing at the first step where the two disagree.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
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

// The model: the transition table written down independently of the control's code.
struct Model {
  bool H = false, P = false, timer = false, over = false, enabled = true;
  bool is_default = false, is_cancel = false;
  int armed = 0;  // the key whose release clicks: its own key-down pressed or may press
  Effects fx;

  void paint(bool lit_arg, bool pressed) {
    fx.push_back(std::string("paint ") + (lit_arg || H ? "L" : "-") + (pressed ? "P" : "-"));
  }
  void layout() { fx.push_back(P ? "layout 15" : "layout 0"); }

  void mouse_down(int b) {
    fx.push_back("MouseDown");
    P = false;
    if (b == 1) {
      H = true;
      layout();
      paint(false, true);
      P = true;
    }
  }
  void mouse_move(int b) {
    if (b == 1) {
      H = P = over;
      paint(H, P);
      layout();
    } else if (over && b == 0 && !timer) {
      paint(true, false);
      timer = true;
    }
    fx.push_back("MouseMove");
  }
  void mouse_up(int b) {
    if (b == 1) {
      paint(false, false);
      P = false;
      layout();
      if (over) fx.push_back("Click");
    }
    fx.push_back("MouseUp");
  }
  void key_down(int k) {
    H = true;
    if (k == 32 || k == 13 || (is_cancel && k == 27)) armed = k;
    if (k == 32 || (is_cancel && k == 27) || (is_default && k == 13)) {
      P = true;
      paint(false, true);
      layout();
    }
    fx.push_back("KeyDown");
  }
  void key_up(int k) {
    if (k == 13 || k == 32 || k == 27) {
      P = false;
      H = true;
      paint(false, false);
      layout();
      if (armed == k) fx.push_back("Click");
      armed = 0;
    }
    fx.push_back("KeyUp");
  }
  void access(int k) {
    if (!enabled) return;
    key_down(k);
    key_up(k);
  }
  void focus(bool in, bool arg) {
    if (!in) armed = 0;
    H = in;
    paint(arg, false);
  }
  void tick() {
    if (timer && !over) {
      paint(H, P);
      timer = false;
    }
  }
  void set_enabled(bool on) {  // a rebuilding setter: released look, lit through H
    enabled = on;
    paint(false, false);
    layout();
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
        m.mouse_down(btn);
        break;
      case 1:
      case 2:
        what = "move";
        c.MouseMove(btn, shift, x, y);
        m.mouse_move(btn);
        break;
      case 3:
        what = "up";
        c.MouseUp(btn, shift, x, y);
        m.mouse_up(btn);
        break;
      case 4:
        what = "keydown";
        c.KeyDown(key, shift);
        m.key_down(key);
        break;
      case 5:
        what = "keyup";
        c.KeyUp(key, shift);
        m.key_up(key);
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
        m.focus(f < 2, f == 0);
        break;
      }
      case 8:
      case 9:
        what = "tick";
        b.tick();
        m.tick();
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
        m.paint(false, false);  // every one of them rebuilds: released, lit through the flag
        m.layout();
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
