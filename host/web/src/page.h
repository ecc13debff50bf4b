// The JavaScript face of one button: the host's steps, members by their published names, the
// saved set (which the forms module turns into a form entry), and what the page must show. Lengths
// cross in pixels (the page's unit) and become twips here; values cross as plain JavaScript values
// (js_values.h).
#pragma once

#include <emscripten/val.h>

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "brelund/forms.h"
#include "brelund/units.h"
#include "host/common/property_bag.h"
#include "host/web/src/button.h"
#include "host/web/src/entry_values.h"
#include "host/web/src/js_values.h"
#include "render/colour.h"

namespace brelund::web {

using emscripten::val;

class Page {
 public:
  Page(val events, val measure)
      : events_(std::move(events)),
        measure_(std::move(measure)),
        button_(std::make_unique<Button>(
            [this](EventId id, const EventArgs& a) { js::raise(events_, id, a); },
            text_measure())) {
    button_->surface().on_property_changed = [this](std::string_view name) {
      if (!quiet_) events_(std::string("PropertyChanged"), std::string(name));
    };
  }

  val init() { return status_of(in().init()); }
  val show() { return status_of(in().show()); }
  val resize(double w, double h) {
    return status_of(in().resize(static_cast<float>(w * units::kTwipsPerPixel),
                                 static_cast<float>(h * units::kTwipsPerPixel)));
  }
  val pointer(int action, int button, int shift, double x, double y) {
    return status_of(in().pointer(
        static_cast<host::PointerAction>(action), static_cast<std::int16_t>(button),
        static_cast<std::int16_t>(shift), static_cast<float>(x * units::kTwipsPerPixel),
        static_cast<float>(y * units::kTwipsPerPixel)));
  }
  val key_down(int code, int shift) {
    return status_of(
        in().key_down(static_cast<std::int16_t>(code), static_cast<std::int16_t>(shift)));
  }
  val key_up(int code, int shift) {
    return status_of(
        in().key_up(static_cast<std::int16_t>(code), static_cast<std::int16_t>(shift)));
  }
  val key_press(int ascii) { return status_of(in().key_press(static_cast<std::int16_t>(ascii))); }
  val access_key(int ascii) { return status_of(in().access_key(static_cast<std::int16_t>(ascii))); }
  val focus_in() { return status_of(in().focus_in()); }
  val focus_out() { return status_of(in().focus_out()); }
  val tick() { return status_of(in().tick()); }

  val get(const std::string& name) {
    val out = val::object();
    Variant v;
    const Status s = guarded([&] {
      const Member& m = js::member_named(name);
      if (m.call) return m.call(in().control());
      if (!m.get) errors::not_supported();
      v = m.get(in().control());
    });
    out.set("status", status_of(s));
    out.set("value", js::value_of(v));
    return out;
  }
  // A refused value leaves the old one: a setter that stored the value and then failed (an
  // overflow while drawing with it) would otherwise fail every later step that draws too.
  val let(const std::string& name, const val& value) {
    const Member* member = nullptr;
    Variant old;
    const Status s = guarded([&] {
      const Member& m = js::member_named(name);
      if (!m.put) errors::not_supported();
      member = &m;
      if (m.get) old = m.get(in().control());
      m.put(in().control(), js::variant_from(m, value));
    });
    if (!s.ok() && !s.gone && member && !std::holds_alternative<std::monostate>(old)) {
      quiet_ = true;
      (void)guarded([&] { member->put(in().control(), old); });
      quiet_ = false;
    }
    return status_of(s);
  }

  // The saved set with the extent and the extender's keys, as plain values (entry_values.h):
  // the forms module turns it into the form file's entry.
  val save_entry() {
    host::MemoryPropertyBag bag;
    const Status s = in().save(bag);
    val out = val::object();
    out.set("status", status_of(s));
    if (!s.ok() || s.gone) return out;
    forms::Control c;
    c.width = button_->surface().width();
    c.height = button_->surface().height();
    c.is_default = default_.value_or(false);
    c.is_cancel = cancel_.value_or(false);
    c.properties = bag.take();
    out.set("entry", js::entry_of(c));
    return out;
  }
  // An entry as save_entry gives it (the forms module reads a form file's into it), as a form
  // window opens it; what it leaves out of the extent and the extender's keys stays. The entry
  // is first loaded into a button of its own, which no one sees: a value the control refuses
  // fails the load there, before this button has taken (and told the page of) any of it.
  val load_entry(const val& entry) {
    return status_of(guarded([&] {
      forms::Control c;
      c.width = button_->surface().width();
      c.height = button_->surface().height();
      c.is_default = default_.value_or(false);
      c.is_cancel = cancel_.value_or(false);
      js::entry_from(entry, c);
      Button trial({}, text_measure());
      throw_if_failed(trial.instance().init());
      throw_if_failed(trial.instance().load(c, "<page>"));
      throw_if_failed(in().load(c, "<page>"));
      default_ = c.is_default;
      cancel_ = c.is_cancel;
    }));
  }

  void set_pointer(int x, int y) { button_->platform().set_pointer(x, y); }
  val set_sys_color(int index, double rgb) {
    return status_of(
        guarded([&] { button_->platform().set_sys_color(index, static_cast<OleColor>(rgb)); }));
  }
  // The extender's Default and Cancel: -1 for an extender without the member.
  void set_extender(int is_default, int is_cancel) {
    const auto opt = [](int v) { return v < 0 ? std::nullopt : std::optional<bool>(v != 0); };
    default_ = opt(is_default);
    cancel_ = opt(is_cancel);
    button_->surface().set_extender(default_, cancel_);
  }
  void set_ambient_font(const val& f) {
    button_->surface().set_ambient_font(std::make_shared<const Font>(js::font_from(f)));
  }

  // What the page shows.
  int width() { return button_->surface().pixel_width(); }
  int height() { return button_->surface().pixel_height(); }
  val face() {
    const auto& rgba = button_->face_rgba();
    return val(emscripten::typed_memory_view(rgba.size(), rgba.data()));
  }
  // The same text as the last shape's is the same JavaScript string: alike buttons' paths are
  // not decoded again, one per button.
  val shape(double ratio) {
    static std::string last;
    static val text = val::undefined();
    std::string path = button_->shape_path(ratio);
    if (text.isUndefined() || path != last) {
      text = val(path);
      last = std::move(path);
    }
    return text;
  }
  // The ratio of device pixels to CSS pixels the face is drawn at from the next paint on (the
  // page shows the button again, as Show does, when it changes).
  void set_ratio(double ratio) { button_->surface().set_ratio(ratio); }
  // The face at that ratio (see Button::device_face_rgba); null when there is none.
  val device_face() {
    const auto& rgba = button_->device_face_rgba();
    if (rgba.empty()) return val::null();
    return val(emscripten::typed_memory_view(rgba.size(), rgba.data()));
  }
  // What the view shows, as numbers, in one call (a call into the module costs about as much as
  // reading all of them): what changed since the last call (and forgets it), the size, Enabled,
  // MousePointer, the caption's colour and box in pixels, whether there is a tip and a shown
  // picture, and the timer. Strings and the picture are calls of their own, made only when they
  // changed. A view of the module's memory: read before the next call.
  val state() {
    Label& l = button_->label();
    Image& p = button_->pic();
    OleColor rgb = 0;
    (void)guarded([&] { rgb = SysColorToRgb(button_->platform(), l.fore_color()); });
    const PictureRef pic = p.picture();
    constexpr double px = units::kTwipsPerPixel;
    state_ = {static_cast<double>(button_->take_changes()),
              static_cast<double>(width()),
              static_cast<double>(height()),
              enabled() ? 1.0 : 0.0,
              static_cast<double>(mouse_pointer()),
              static_cast<double>(rgb),
              l.left() / px,
              l.top() / px,
              l.width() / px,
              l.height() / px,
              l.tool_tip_text().empty() && p.tool_tip_text().empty() ? 0.0 : 1.0,
              p.visible() != 0 && pic && pic->handle != 0 ? 1.0 : 0.0,
              button_->timer().enabled() ? 1.0 : 0.0,
              static_cast<double>(button_->timer().interval())};
    return val(emscripten::typed_memory_view(state_.size(), state_.data()));
  }
  std::string caption_text() { return button_->label().caption(); }
  val caption_font() { return font_value(*button_->label().font()); }
  // The tip the element shows: the caption's, else the picture's.
  std::string tip() {
    const std::string& own = button_->label().tool_tip_text();
    return own.empty() ? button_->pic().tool_tip_text() : own;
  }
  val picture() {
    Image& p = button_->pic();
    val out = val::object();
    out.set("visible", p.visible() != 0);
    out.set("left", units::position_pixels(p.left()));
    out.set("top", units::position_pixels(p.top()));
    out.set("image", js::picture_of(p.picture()));
    return out;
  }
  bool enabled() { return button_->surface().enabled() != 0; }
  int mouse_pointer() { return button_->surface().mouse_pointer(); }
  bool focused() { return in().focused(); }

 private:
  host::Instance& in() { return button_->instance(); }
  // A step's status for the page. Most steps succeed: those share one object, which the page
  // only reads, instead of building one per step.
  static val status_of(const Status& s) {
    if (!s.ok() || s.gone || !s.description.empty()) return js::status_of(s);
    static const val ok = js::status_of(s);
    return ok;
  }
  // The caption's font as the view reads it, the same object for as long as the font is the
  // same: the page works out its CSS once per font, not once per button and step. The view only
  // reads it (get("Font") hands out a copy of its own).
  static val font_value(const Font& f) {
    static Font last;
    static val object = val::undefined();
    if (object.isUndefined() || !(f == last)) {
      last = f;
      object = js::font_of(f);
    }
    return object;
  }
  // The page's text measure, for the label (none: the label's own estimate).
  Measure text_measure() {
    if (measure_.isNull() || measure_.isUndefined()) return {};
    return [this](const Font& f, const std::string& t) {
      const val r = measure_(font_value(f), t);
      return TextSize{r[0].as<double>(), r[1].as<double>()};
    };
  }
  val events_;
  val measure_;
  std::array<double, 14> state_{};
  std::optional<bool> default_ = false, cancel_ = false;
  bool quiet_ = false;
  std::unique_ptr<Button> button_;
};

}  // namespace brelund::web
