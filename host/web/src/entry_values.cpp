#include "host/web/src/entry_values.h"

#include <emscripten/bind.h>

#include <cmath>
#include <string>
#include <vector>

#include "host/web/src/js_values.h"

namespace brelund::web::js {

using emscripten::val;

namespace {

[[noreturn]] void invalid(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid saved entry: " + why);
}

// Pixels as they are stored (0xAARRGGBB), copied out of the module's memory.
val pixels_of(const PictureRef& p) {
  if (!p || p->handle == 0) return val::null();
  val out = val::object();
  out.set("width", p->width);
  out.set("height", p->height);
  out.set("pixels", val::global("Uint32Array")
                        .new_(emscripten::typed_memory_view(p->pixels.size(), p->pixels.data())));
  return out;
}

PictureRef pixels_from(const val& v) {
  if (v.isNull()) return make_empty_picture();
  const val data = v["pixels"];
  if (!v["width"].isNumber() || !v["height"].isNumber() || !data.instanceof
      (val::global("Uint32Array")))
    invalid("a picture is {width, height, pixels}");
  const double w = v["width"].as<double>(), h = v["height"].as<double>();
  if (!(w >= 0 && h >= 0 && w * h <= 16.0 * 1024 * 1024) || w != std::floor(w) ||
      h != std::floor(h) || data["length"].as<double>() != w * h)
    invalid("a picture's pixels do not match its size");
  Pixels pixels(static_cast<std::size_t>(w * h));
  val(emscripten::typed_memory_view(pixels.size(), pixels.data())).call<void>("set", data);
  return make_picture(static_cast<int>(w), static_cast<int>(h), std::move(pixels));
}

val stored_of(const Variant& v) { return value_of(v, pixels_of); }

double number(const val& v) {
  if (!v.isNumber() || !std::isfinite(v.as<double>())) invalid("a number was expected");
  return v.as<double>();
}

// The value of type `index` (Variant's own order), as stored_of gave it.
Variant stored_from(int index, const val& v) {
  switch (index) {
    case 0:
      return std::monostate{};
    case 1:
      return Nothing{};
    case 2:
      return v.as<bool>();
    case 3: {
      const double d = number(v);
      if (!(d >= INT16_MIN && d <= INT16_MAX)) invalid("an Integer out of range");
      return static_cast<std::int16_t>(d);
    }
    case 4: {
      const double d = number(v);
      if (!(d >= INT32_MIN && d <= INT32_MAX)) invalid("a Long out of range");
      return static_cast<std::int32_t>(d);
    }
    case 5:
      return number(v);
    case 6:
      if (!v.isString()) invalid("a text was expected");
      return v.as<std::string>();
    case 7:
      if (v.isNull()) return FontRef{};
      return std::make_shared<const Font>(font_from(v));
    case 8:
      return pixels_from(v);
    default:
      invalid("a value of unknown type");
  }
}

}  // namespace

val entry_of(const forms::Control& c) {
  val out = val::object();
  out.set("width", c.width);
  out.set("height", c.height);
  out.set("default", c.is_default);
  out.set("cancel", c.is_cancel);
  val rows = val::array();
  for (const auto& [key, value] : c.properties) {
    val row = val::array();
    row.call<void>("push", key);
    row.call<void>("push", static_cast<int>(value.index()));
    row.call<void>("push", stored_of(value));
    rows.call<void>("push", row);
  }
  out.set("properties", rows);
  return out;
}

void entry_from(const val& v, forms::Control& c) {
  if (v.isNull() || v.isUndefined() || !v["properties"].isArray())
    invalid("an entry is an object with properties");
  if (!v["width"].isUndefined()) c.width = static_cast<float>(number(v["width"]));
  if (!v["height"].isUndefined()) c.height = static_cast<float>(number(v["height"]));
  if (!v["default"].isUndefined()) c.is_default = v["default"].as<bool>();
  if (!v["cancel"].isUndefined()) c.is_cancel = v["cancel"].as<bool>();
  const val rows = v["properties"];
  const auto count = rows["length"].as<unsigned>();
  c.properties.clear();
  c.properties.reserve(count);
  for (unsigned i = 0; i < count; ++i) {
    const val row = rows[i];
    if (!row.isArray() || !row[0].isString() || !row[1].isNumber())
      invalid("a row is [key, type, value]");
    c.properties.emplace_back(row[0].as<std::string>(), stored_from(row[1].as<int>(), row[2]));
  }
}

}  // namespace brelund::web::js
