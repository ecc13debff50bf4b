#include "host/web/src/js_values.h"

#include <emscripten/bind.h>

#include <cmath>
#include <vector>

namespace brelund::web::js {

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

val value_of(const Variant& v, val (*picture)(const PictureRef&)) {
  return std::visit(
      [picture](const auto& x) -> val {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, Nothing>)
          return val::null();
        else if constexpr (std::is_same_v<T, FontRef>)
          return x ? font_of(*x) : val::null();
        else if constexpr (std::is_same_v<T, PictureRef>)
          return picture(x);
        else
          return val(x);
      },
      v);
}

val value_of(const Variant& v) { return value_of(v, picture_of); }

namespace {
[[noreturn]] void invalid(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid property value: " + why);
}
}  // namespace

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
  // Only a typed array is read: anything else could run page code (a getter, a Proxy) in the
  // middle of the copy.
  if (!wv.isNumber() || !hv.isNumber() || !val::global("ArrayBuffer").call<bool>("isView", data) ||
      data["subarray"].isUndefined())
    invalid("a picture is {width, height, data} with RGBA bytes in a typed array");
  const double w = wv.as<double>(), h = hv.as<double>();
  if (!(w >= 0 && h >= 0 && w * h <= 16.0 * 1024 * 1024) || w != std::floor(w) ||
      h != std::floor(h))
    invalid("a picture of " + val::global("String")(wv).as<std::string>() + " x " +
            val::global("String")(hv).as<std::string>() + " pixels");
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

}  // namespace brelund::web::js
