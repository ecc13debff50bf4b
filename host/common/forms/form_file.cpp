// Reading form files: every value checked against its key and the limits before it is used.
#include "brelund/forms.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "control/convert.h"
#include "host/common/forms/base64.h"
#include "host/common/forms/property_names.h"
#include "host/common/png.h"

namespace brelund::forms {

namespace {

using json = nlohmann::ordered_json;
namespace fs = std::filesystem;

struct Context {
  std::string file;
  std::string folder;
  std::string control;
  std::string key;
  [[noreturn]] void fail(const std::string& what,
                         int number = errors::kInvalidPropertyValue) const {
    throw Error(number, where(file, control, key) + ": " + what);
  }
};

std::string checked_string(const json& j, const Context& cx) {
  if (!j.is_string()) cx.fail("expected a string");
  const auto& s = j.get_ref<const std::string&>();
  if (s.size() > kMaxStringBytes)
    cx.fail("string of " + std::to_string(s.size()) + " bytes is longer than the limit of " +
            std::to_string(kMaxStringBytes));
  return s;
}

float checked_twips(const json& j, const Context& cx) {
  if (!j.is_number()) cx.fail("expected a number of twips");
  const double v = j.get<double>();
  if (!std::isfinite(v) || v < -kMaxTwips || v > kMaxTwips) cx.fail("value out of range");
  return static_cast<float>(v);
}

bool checked_bool(const json& j, const Context& cx) {
  if (!j.is_boolean()) cx.fail("expected true or false");
  return j.get<bool>();
}

FontRef parse_font(const json& j, const Context& cx) {
  if (!j.is_object()) cx.fail("expected a font object");
  Font f;
  for (const auto& [k, v] : j.items()) {
    if (k == "Name") {
      f.name = checked_string(v, cx);
    } else if (k == "Size") {
      if (!v.is_number() || !(v.get<double>() > 0) || v.get<double>() > 2048)
        cx.fail("font size out of range");
      f.size = v.get<double>();
    } else if (k == "Bold") {
      f.bold = checked_bool(v, cx);
    } else if (k == "Italic") {
      f.italic = checked_bool(v, cx);
    } else if (k == "Underline") {
      f.underline = checked_bool(v, cx);
    } else if (k == "Strikethrough") {
      f.strikethrough = checked_bool(v, cx);
    } else if (k == "Weight" || k == "Charset") {
      if (!v.is_number_integer() || v.get<long long>() < 0 || v.get<long long>() > 1000)
        cx.fail("font " + k + " out of range");
      (k == "Weight" ? f.weight : f.charset) = static_cast<std::int16_t>(v.get<long long>());
    } else {
      cx.fail("unknown font attribute \"" + k + "\"");
    }
  }
  if (f.bold && f.weight < 700) f.weight = 700;
  return std::make_shared<const Font>(std::move(f));
}

PictureRef picture_file(const std::string& rel, const Context& cx) {
  const fs::path p(rel);
  if (rel.empty() || p.is_absolute() || p.has_root_name() || p.has_root_directory())
    cx.fail("picture path \"" + rel + "\" must be relative to the form's folder");
  for (const auto& part : p.lexically_normal())
    if (part == "..") cx.fail("picture path \"" + rel + "\" leaves the form's folder");
  const fs::path full = fs::path(cx.folder) / p.lexically_normal();
  // A link inside the folder may still point outside it.
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(full, ec);
  const fs::path base = fs::weakly_canonical(fs::path(cx.folder.empty() ? "." : cx.folder), ec);
  const auto rel_to_base = real.lexically_relative(base);
  if (ec || rel_to_base.empty() || *rel_to_base.begin() == "..")
    cx.fail("picture path \"" + rel + "\" leaves the form's folder");
  try {
    return png::decode(png::read_file(full.string(), kMaxFileBytes));
  } catch (const Error& e) {
    cx.fail("picture \"" + rel + "\": " + e.description(), e.number());
  }
}

PictureRef parse_picture(const json& j, const Context& cx) {
  if (j.size() != 1) cx.fail("a picture is {\"png\": BASE64} or {\"file\": PATH}");
  if (j.contains("png")) {
    const json& data = j["png"];
    if (!data.is_string()) cx.fail("expected base64 text under \"png\"");
    const auto& text = data.get_ref<const std::string&>();
    if (text.size() > kMaxFileBytes / 3 * 4 + 4) cx.fail("inline picture is larger than the limit");
    auto bytes = base64::decode(text);
    if (!bytes) cx.fail("inline picture is not valid base64");
    if (bytes->empty()) return make_empty_picture();
    try {
      return png::decode(*bytes);
    } catch (const Error& e) {
      cx.fail("inline picture: " + e.description(), e.number());
    }
  }
  if (j.contains("file")) return picture_file(checked_string(j["file"], cx), cx);
  cx.fail("a picture is {\"png\": BASE64} or {\"file\": PATH}");
}

Variant parse_value(const json& j, const Context& cx) {
  switch (j.type()) {
    case json::value_t::null:
      return Nothing{};
    case json::value_t::boolean:
      return j.get<bool>();
    case json::value_t::number_integer:
    case json::value_t::number_unsigned: {
      const double d = j.get<double>();
      if (d >= INT32_MIN && d <= INT32_MAX) return static_cast<std::int32_t>(j.get<long long>());
      return d;
    }
    case json::value_t::number_float:
      return j.get<double>();
    case json::value_t::string:
      return checked_string(j, cx);
    case json::value_t::object:
      if (j.contains("png") || j.contains("file")) return parse_picture(j, cx);
      return parse_font(j, cx);
    default:
      cx.fail("unsupported value (arrays and binary data are not property values)",
              errors::kTypeMismatch);
  }
}

Control parse_control(const json& j, Context cx) {
  if (!j.is_object()) cx.fail("each control must be an object");
  Control c;
  if (auto it = j.find("Name"); it != j.end()) {
    cx.key = "Name";
    c.name = checked_string(*it, cx);
    cx.control = c.name;
  }
  for (const auto& [k, v] : j.items()) {
    cx.key = k;
    if (k == "Name") continue;
    if (k == "Left")
      c.left = checked_twips(v, cx);
    else if (k == "Top")
      c.top = checked_twips(v, cx);
    else if (k == "Width")
      c.width = checked_twips(v, cx);
    else if (k == "Height")
      c.height = checked_twips(v, cx);
    else if (k == "Default")
      c.is_default = checked_bool(v, cx);
    else if (k == "Cancel")
      c.is_cancel = checked_bool(v, cx);
    else if (k == "Properties") {
      if (!v.is_object()) cx.fail("expected an object of saved properties");
      for (const auto& [pk, pv] : v.items()) {
        cx.key = pk;
        if (pk.size() > 64) cx.fail("key name too long");
        if (!is_property_name(pk))
          cx.fail("unknown property; did you mean \"" + std::string(nearest_property_name(pk)) +
                  "\"?");
        c.properties.emplace_back(pk, parse_value(pv, cx));
      }
    } else {
      cx.fail("unknown control attribute");
    }
  }
  if (c.width < 0 || c.height < 0) {
    cx.key = "Width";
    cx.fail("a control's size cannot be negative");
  }
  return c;
}

// The text as one JSON object, or an error saying what is wrong with it.
json parse_object(const std::string& text, const Context& cx, const char* not_an_object) {
  if (text.size() > kMaxFileBytes) cx.fail("file is larger than the limit");
  json doc;
  try {
    doc = json::parse(text);
  } catch (const json::exception& e) {  // also out_of_range: a number too large for a double
    cx.fail(std::string("malformed JSON: ") + e.what());
  }
  if (!doc.is_object()) cx.fail(not_an_object);
  return doc;
}

}  // namespace

Form parse(const std::string& text, const std::string& folder, const std::string& name) {
  Context cx{name, folder, "", ""};
  const json doc = parse_object(text, cx, "expected a JSON object with \"Form\" and \"Controls\"");
  Form form;
  form.font = std::make_shared<const Font>();
  if (auto it = doc.find("Form"); it != doc.end()) {
    cx.key = "Form";
    if (!it->is_object()) cx.fail("expected an object");
    for (const auto& [k, v] : it->items()) {
      cx.key = "Form." + k;
      if (k == "Caption")
        form.caption = checked_string(v, cx);
      else if (k == "Width")
        form.width = checked_twips(v, cx);
      else if (k == "Height")
        form.height = checked_twips(v, cx);
      else if (k == "BackColor") {
        try {
          form.back_color = convert::to_int32(parse_value(v, cx));
        } catch (const Error& e) {
          cx.fail(e.description(), e.number());
        }
      } else if (k == "Font")
        form.font = parse_font(v, cx);
      else
        cx.fail("unknown form attribute");
    }
  }
  cx.key.clear();
  for (const auto& [k, v] : doc.items()) {
    if (k != "Form" && k != "Controls") {
      cx.key = k;
      cx.fail("unknown section");
    }
  }
  if (auto it = doc.find("Controls"); it != doc.end()) {
    cx.key = "Controls";
    if (!it->is_array()) cx.fail("expected an array of controls");
    if (it->size() > kMaxControls) cx.fail("too many controls");
    cx.key.clear();
    std::size_t index = 0;
    for (const auto& c : *it) {
      cx.control = "#" + std::to_string(++index);
      form.controls.push_back(parse_control(c, cx));
    }
  }
  return form;
}

Properties parse_properties(const std::string& text, const std::string& folder,
                            const std::string& name) {
  Context cx{name, folder, "", ""};
  const json doc = parse_object(text, cx, "expected a JSON object of saved properties");
  Properties out;
  for (const auto& [k, v] : doc.items()) {
    cx.key = k;
    out.emplace_back(k, parse_value(v, cx));
  }
  return out;
}

Form load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(errors::kFileNotFound, path + ": file not found or unreadable");
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size < 0 || static_cast<std::size_t>(size) > kMaxFileBytes)
    throw Error(errors::kInvalidPropertyValue, path + ": file is larger than the limit");
  in.seekg(0);
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), size);
  return parse(text, fs::path(path).parent_path().string(), path);
}

}  // namespace brelund::forms
