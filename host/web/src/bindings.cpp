// What the JavaScript module sees of a button: the host's steps, members by their published
// names, the saved set as a form entry, and what the page must show. Lengths cross in pixels
// (the page's unit) and become twips here; values cross as plain JavaScript values.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cmath>
#include <memory>
#include <sstream>

#include "brelund/forms.h"
#include "control/property_table.h"
#include "host/common/property_bag.h"
#include "host/web/src/button.h"
#include "host/web/src/trace_host.h"
#include "render/colour.h"

namespace brelund::web {

namespace {

using emscripten::val;

val status_of(const Status& s) {
  val out = val::object();
  out.set("number", s.number);
  out.set("description", s.description);
  out.set("gone", s.gone);
  return out;
}

val font_of(const Font& f) {
  val out = val::object();
  out.set("Name", f.name);
  out.set("Size", f.size);
  out.set("Bold", f.bold);
  out.set("Italic", f.italic);
  out.set("Underline", f.underline);
  out.set("Strikethrough", f.strikethrough);
  out.set("Weight", f.weight);
  out.set("Charset", f.charset);
  return out;
}

val picture_of(const PictureRef& p) {
  if (!p || p->handle == 0) return val::null();
  std::vector<std::uint8_t> rgba(p->pixels.size() * 4);
  for (std::size_t i = 0; i < p->pixels.size(); ++i) {
    const std::uint32_t v = p->pixels[i];
    rgba[i * 4] = static_cast<std::uint8_t>(v >> 16);
    rgba[i * 4 + 1] = static_cast<std::uint8_t>(v >> 8);
    rgba[i * 4 + 2] = static_cast<std::uint8_t>(v);
    rgba[i * 4 + 3] = static_cast<std::uint8_t>(v >> 24);
  }
  val out = val::object();
  out.set("width", p->width);
  out.set("height", p->height);
  out.set("data", val::global("Uint8ClampedArray")
                      .new_(emscripten::typed_memory_view(rgba.size(), rgba.data())));
  return out;
}

val value_of(const Variant& v) {
  return std::visit(
      [](const auto& x) -> val {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, Nothing>)
          return val::null();
        else if constexpr (std::is_same_v<T, FontRef>)
          return x ? font_of(*x) : val::null();
        else if constexpr (std::is_same_v<T, PictureRef>)
          return picture_of(x);
        else
          return val(x);
      },
      v);
}

[[noreturn]] void invalid(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid property value: " + why);
}

Font font_from(const val& v) {
  Font f;
  const auto text = [&](const char* key, std::string& out) {
    if (v[key].isString()) out = v[key].as<std::string>();
  };
  const auto number = [&](const char* key, auto& out) {
    const val x = v[key];
    if (x.isUndefined()) return;
    if (!x.isNumber() || !std::isfinite(x.as<double>())) invalid(std::string("Font.") + key);
    const double d = x.as<double>();
    using T = std::decay_t<decltype(out)>;
    if constexpr (std::is_integral_v<T>) {
      if (d < -32768 || d > 32767) invalid(std::string("Font.") + key);
      out = static_cast<T>(d);
    } else {
      out = d;
    }
  };
  const auto flag = [&](const char* key, bool& out) {
    if (!v[key].isUndefined()) out = v[key].as<bool>();
  };
  text("Name", f.name);
  number("Size", f.size);
  flag("Bold", f.bold);
  flag("Italic", f.italic);
  flag("Underline", f.underline);
  flag("Strikethrough", f.strikethrough);
  number("Weight", f.weight);
  number("Charset", f.charset);
  // Bold and Weight say the same thing twice; the one given decides the other, as a font object
  // keeps them together.
  if (!v["Weight"].isUndefined() && v["Bold"].isUndefined()) f.bold = f.weight >= 600;
  if (v["Weight"].isUndefined() && !v["Bold"].isUndefined())
    f.weight = static_cast<std::int16_t>(f.bold ? 700 : 400);
  return f;
}

// A picture from an ImageData or any {width, height, data} of straight RGBA bytes.
PictureRef picture_from(const val& v) {
  const val wv = v["width"], hv = v["height"], data = v["data"];
  if (!wv.isNumber() || !hv.isNumber() || data.isUndefined() || data.isNull())
    invalid("a picture is {width, height, data} with RGBA bytes");
  const double w = wv.as<double>(), h = hv.as<double>();
  if (!(w >= 0 && h >= 0 && w * h <= 16.0 * 1024 * 1024) || w != std::floor(w) ||
      h != std::floor(h))
    invalid("a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
  const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (data["length"].as<double>() < static_cast<double>(n) * 4)
    invalid("the picture's data is shorter than width x height x 4 bytes");
  std::vector<std::uint8_t> rgba(n * 4);
  val view = val(emscripten::typed_memory_view(rgba.size(), rgba.data()));
  view.call<void>("set", data.call<val>("subarray", 0, static_cast<double>(n * 4)));
  std::vector<std::uint32_t> argb(n);
  for (std::size_t i = 0; i < n; ++i)
    argb[i] = (std::uint32_t{rgba[i * 4 + 3]} << 24) | (std::uint32_t{rgba[i * 4]} << 16) |
              (std::uint32_t{rgba[i * 4 + 1]} << 8) | rgba[i * 4 + 2];
  return make_picture(static_cast<int>(w), static_cast<int>(h), std::move(argb));
}

Variant variant_from(const Member& m, const val& v) {
  if (v.isNull() || v.isUndefined()) {
    if (m.type == ValueType::picture) return make_empty_picture();
    return Nothing{};
  }
  if (v.isTrue() || v.isFalse()) return v.as<bool>();
  if (v.isString()) return v.as<std::string>();
  if (v.isNumber()) {
    const double d = v.as<double>();
    // Colours are unsigned in the page's notation (0x8000000F for a system colour).
    if (m.type == ValueType::ole_color && d == std::floor(d) && d > INT32_MAX && d <= UINT32_MAX)
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(d));
    if (d == std::nearbyint(d) && d >= INT32_MIN && d <= INT32_MAX)
      return static_cast<std::int32_t>(d);
    return d;
  }
  if (m.type == ValueType::font) return std::make_shared<const Font>(font_from(v));
  if (m.type == ValueType::picture) return picture_from(v);
  invalid(std::string(m.name) + " does not take an object");
}

const Member& member_named(const std::string& name) {
  const Member* m = find_member(name);
  if (!m)
    throw Error(errors::kNotSupported, "Object doesn't support this property or method: " + name);
  return *m;
}

// The eight events go to one JavaScript function as (name, args): `args` holds the by-reference
// arguments in the event's order, and what a listener leaves in it goes back to the control.
void raise(const val& fn, EventId id, const EventArgs& a) {
  const EventInfo& info = event_info(id);
  val args = val::array();
  for (std::size_t i = 0; i < info.args.size(); ++i) {
    if (info.args[i].type == EventArgType::int16)
      args.call<void>("push", *static_cast<std::int16_t*>(a[i]));
    else
      args.call<void>("push", *static_cast<float*>(a[i]));
  }
  fn(std::string(info.name), args);
  // Only what the page could have meant is taken back: a number, within the argument's range.
  for (std::size_t i = 0; i < info.args.size(); ++i) {
    const val x = args[i];
    if (!x.isNumber()) continue;
    const double d = x.as<double>();
    if (!std::isfinite(d)) continue;
    if (info.args[i].type == EventArgType::int16) {
      if (d >= -32768 && d <= 32767)
        *static_cast<std::int16_t*>(a[i]) = static_cast<std::int16_t>(std::trunc(d));
    } else {
      *static_cast<float*>(a[i]) = static_cast<float>(d);
    }
  }
}

}  // namespace

// The JavaScript face of one button.
class Page {
 public:
  Page(val events, val measure)
      : events_(std::move(events)),
        measure_(std::move(measure)),
        button_(std::make_unique<Button>(
            [this](EventId id, const EventArgs& a) { raise(events_, id, a); },
            measure_.isNull() || measure_.isUndefined()
                ? Measure{}
                : Measure([this](const Font& f, const std::string& t) {
                    const val r = measure_(font_of(f), t);
                    return TextSize{r[0].as<double>(), r[1].as<double>()};
                  }))) {
    button_->surface().on_property_changed = [this](std::string_view name) {
      events_(std::string("PropertyChanged"), std::string(name));
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
      const Member& m = member_named(name);
      if (m.call) return m.call(in().control());
      if (!m.get) errors::not_supported();
      v = m.get(in().control());
    });
    out.set("status", status_of(s));
    out.set("value", value_of(v));
    return out;
  }
  val let(const std::string& name, const val& value) {
    return status_of(guarded([&] {
      const Member& m = member_named(name);
      if (!m.put) errors::not_supported();
      m.put(in().control(), variant_from(m, value));
    }));
  }

  // The saved set as a form entry: {"Name", "Left", "Top", "Width", "Height", "Default",
  // "Cancel", "Properties"} in the form file's format, as text.
  val save() {
    host::MemoryPropertyBag bag;
    const Status s = in().save(bag);
    val out = val::object();
    out.set("status", status_of(s));
    if (!s.ok() || s.gone) return out;
    forms::Form form;
    forms::Control c;
    c.name = "Boton1";
    c.width = button_->surface().width();
    c.height = button_->surface().height();
    c.is_default = default_.value_or(false);
    c.is_cancel = cancel_.value_or(false);
    c.properties = bag.take();
    form.controls.push_back(std::move(c));
    const Status w = guarded([&] { out.set("form", forms::to_json(form)); });
    if (!w.ok()) out.set("status", status_of(w));
    return out;
  }
  // A form file's text with one control: that control's entry, as a form window opens it.
  val load(const std::string& form_text) {
    return status_of(guarded([&] {
      const forms::Form form = forms::parse(form_text, ".", "<page>");
      if (form.controls.size() != 1)
        throw Error(errors::kInvalidPropertyValue, "<page>: a saved button is one control, not " +
                                                       std::to_string(form.controls.size()));
      const forms::Control& c = form.controls.front();
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
    button_->surface().set_ambient_font(std::make_shared<const Font>(font_from(f)));
  }

  // What the page shows.
  int changes() { return static_cast<int>(button_->take_changes()); }
  int width() { return button_->surface().pixels().width; }
  int height() { return button_->surface().pixels().height; }
  val face() {
    const auto& rgba = button_->face_rgba();
    return val(emscripten::typed_memory_view(rgba.size(), rgba.data()));
  }
  std::string shape() { return button_->shape_path(); }
  val caption() {
    Label& l = button_->label();
    val out = val::object();
    out.set("text", l.caption());
    out.set("font", font_of(*l.font()));
    OleColor rgb = 0;
    (void)guarded([&] { rgb = SysColorToRgb(button_->platform(), l.fore_color()); });
    out.set("color", rgb);
    out.set("left", l.left() / units::kTwipsPerPixel);
    out.set("top", l.top() / units::kTwipsPerPixel);
    out.set("width", l.width() / units::kTwipsPerPixel);
    out.set("height", l.height() / units::kTwipsPerPixel);
    out.set("tip", l.tool_tip_text());
    return out;
  }
  val picture() {
    Image& p = button_->pic();
    val out = val::object();
    out.set("visible", p.visible() != 0);
    out.set("enabled", p.enabled() != 0);
    out.set("left", units::position_pixels(p.left()));
    out.set("top", units::position_pixels(p.top()));
    out.set("image", picture_of(p.picture()));
    out.set("tip", p.tool_tip_text());
    return out;
  }
  val timer() {
    val out = val::object();
    out.set("enabled", button_->timer().enabled());
    out.set("interval", button_->timer().interval());
    return out;
  }
  bool enabled() { return button_->surface().enabled() != 0; }
  int mouse_pointer() { return button_->surface().mouse_pointer(); }
  bool focused() { return in().focused(); }

 private:
  host::Instance& in() { return button_->instance(); }
  val events_;
  val measure_;
  std::optional<bool> default_ = false, cancel_ = false;
  std::unique_ptr<Button> button_;
};

val run_trace(const std::string& script, const std::string& folder) {
  std::istringstream in(script);
  std::ostringstream out, err;
  const int status = run_trace_script(in, out, err, folder);
  val r = val::object();
  r.set("status", status);
  r.set("out", out.str());
  r.set("err", err.str());
  return r;
}

EMSCRIPTEN_BINDINGS(brelund_web) {
  emscripten::class_<Page>("Page")
      .constructor<val, val>()
      .function("init", &Page::init)
      .function("show", &Page::show)
      .function("resize", &Page::resize)
      .function("pointer", &Page::pointer)
      .function("keyDown", &Page::key_down)
      .function("keyUp", &Page::key_up)
      .function("keyPress", &Page::key_press)
      .function("accessKey", &Page::access_key)
      .function("focusIn", &Page::focus_in)
      .function("focusOut", &Page::focus_out)
      .function("tick", &Page::tick)
      .function("get", &Page::get)
      .function("let", &Page::let)
      .function("save", &Page::save)
      .function("load", &Page::load)
      .function("setPointer", &Page::set_pointer)
      .function("setSysColor", &Page::set_sys_color)
      .function("setExtender", &Page::set_extender)
      .function("setAmbientFont", &Page::set_ambient_font)
      .function("changes", &Page::changes)
      .function("width", &Page::width)
      .function("height", &Page::height)
      .function("face", &Page::face)
      .function("shape", &Page::shape)
      .function("caption", &Page::caption)
      .function("picture", &Page::picture)
      .function("timer", &Page::timer)
      .function("enabled", &Page::enabled)
      .function("mousePointer", &Page::mouse_pointer)
      .function("focused", &Page::focused);
  emscripten::function("runTrace", &run_trace);
  emscripten::function("memberNames", emscripten::optional_override([] {
                         val names = val::array();
                         for (const Member& m : members())
                           names.call<void>("push", std::string(m.name));
                         return names;
                       }));
}

}  // namespace brelund::web
