// Writing form files: pictures inline as base64 PNG, colours in &H notation, and a save that
// replaces the old file only once the new text is complete.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "brelund/forms.h"
#include "control/shortest.h"
#include "host/common/forms/base64.h"
#include "host/common/forms/limits.h"
#include "host/common/png.h"

namespace brelund::forms {

namespace {

using json = nlohmann::ordered_json;
namespace fs = std::filesystem;

std::string colour_text(OleColor c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "&H%08X&", static_cast<unsigned>(c));
  return buf;
}

// The picture as a save writes it: base64 PNG, empty for a picture object without an image.
std::string picture_text(const Picture& p) {
  return p.handle == 0 ? std::string() : base64::encode(png::encode(p.width, p.height, p.pixels));
}

// An object of our own keys, each given once, in the order given: built member by member, as a
// brace list would copy every value on the way in (most of a large form's save).
class Object {
 public:
  explicit Object(std::size_t members) { members_.reserve(members); }
  Object& add(const char* key, json value) {
    members_.emplace_back(key, std::move(value));
    return *this;
  }
  json take() { return json(std::move(members_)); }

 private:
  json::object_t members_;
};

json font_json(const Font& f) {
  return Object(8)
      .add("Name", f.name)
      .add("Size", f.size)
      .add("Bold", f.bold)
      .add("Italic", f.italic)
      .add("Underline", f.underline)
      .add("Strikethrough", f.strikethrough)
      .add("Weight", f.weight)
      .add("Charset", f.charset)
      .take();
}

json value_json(const std::string& key, const Variant& v) {
  struct Visitor {
    const std::string& key;
    json operator()(std::monostate) const { return nullptr; }
    json operator()(Nothing) const { return nullptr; }
    json operator()(bool b) const { return b; }
    json operator()(std::int16_t i) const { return i; }
    json operator()(std::int32_t i) const {
      if (key == "BackColor" || key == "ForeColor") return colour_text(i);
      return i;
    }
    json operator()(double d) const { return d; }
    json operator()(const std::string& s) const { return s; }
    json operator()(const FontRef& f) const { return f ? font_json(*f) : json(nullptr); }
    json operator()(const PictureRef& p) const {
      if (!p) return nullptr;
      return json{{"png", picture_text(*p)}};
    }
  };
  return std::visit(Visitor{key}, v);
}

}  // namespace

std::string to_json(const Form& form) {
  Object form_section(5);
  form_section.add("Caption", form.caption)
      .add("Width", num::shortest(form.width))
      .add("Height", num::shortest(form.height))
      .add("BackColor", colour_text(form.back_color));
  if (form.font) form_section.add("Font", font_json(*form.font));
  json::array_t control_list;
  control_list.reserve(form.controls.size());
  for (const auto& c : form.controls) {
    // A key given twice keeps its place and its last value, as a property bag would.
    json props = json::object();
    for (const auto& [k, v] : c.properties) props[k] = value_json(k, v);
    control_list.push_back(Object(8)
                               .add("Name", c.name)
                               .add("Left", num::shortest(c.left))
                               .add("Top", num::shortest(c.top))
                               .add("Width", num::shortest(c.width))
                               .add("Height", num::shortest(c.height))
                               .add("Default", c.is_default)
                               .add("Cancel", c.is_cancel)
                               .add("Properties", std::move(props))
                               .take());
  }
  json doc =
      Object(2).add("Form", form_section.take()).add("Controls", std::move(control_list)).take();
  const json& f = doc["Form"];
  json& controls = doc["Controls"];
  try {
    return doc.dump(2) + "\n";
  } catch (const json::type_error&) {
    // Only text that is not UTF-8 fails here; name where it is rather than writing it mangled.
    auto check = [](const json& j, const std::string& control, const std::string& key) {
      try {
        (void)j.dump();
      } catch (const json::type_error&) {
        throw Error(errors::kInvalidPropertyValue,
                    where("form", control, key) + ": text is not valid UTF-8; nothing was saved");
      }
    };
    for (const auto& [k, v] : f.items()) check(v, "", "Form." + k);
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      check(controls[i]["Name"], "#" + std::to_string(i + 1), "Name");
      for (const auto& [k, v] : controls[i]["Properties"].items())
        check(v, form.controls[i].name, k);
    }
    throw Error(errors::kInvalidPropertyValue, "form: text is not valid UTF-8; nothing was saved");
  }
}

namespace {

// The numbers a load refuses (a place or size that is not finite or out of range, a font size or
// number out of range) would be written as they are, or as null, and the saved file could never
// be opened again: the whole form would be lost, not only the bad value. A save refuses them first.
void check_loadable(const Form& form, const std::string& path) {
  auto fail = [&](const std::string& control, const std::string& key) {
    throw Error(errors::kInvalidPropertyValue,
                where(path, control, key) + ": value out of range; nothing was saved");
  };
  auto twips = [&](float v, float least, const std::string& control, const char* key) {
    if (!detail::twips_in_range(v) || v < least) fail(control, key);
  };
  auto font = [&](const Font& f, const std::string& control, const std::string& key) {
    if (!detail::font_size_in_range(f.size) || !detail::font_number_in_range(f.weight) ||
        !detail::font_number_in_range(f.charset))
      fail(control, key);
  };
  twips(form.width, -kMaxTwips, "", "Form.Width");
  twips(form.height, -kMaxTwips, "", "Form.Height");
  if (form.font) font(*form.font, "", "Form.Font");
  for (std::size_t i = 0; i < form.controls.size(); ++i) {
    const Control& c = form.controls[i];
    std::string name = c.name;
    if (name.empty()) name.append("#").append(std::to_string(i + 1));
    twips(c.left, -kMaxTwips, name, "Left");
    twips(c.top, -kMaxTwips, name, "Top");
    twips(c.width, 0, name, "Width");
    twips(c.height, 0, name, "Height");
    for (const auto& [k, v] : c.properties)
      if (const auto* f = std::get_if<FontRef>(&v); f && *f) font(**f, name, k);
  }
}

}  // namespace

void save(const Form& form, const std::string& path) {
  check_loadable(form, path);
  // The text is complete before the file is touched, and it replaces the old file in one step,
  // so a failed save leaves the previous form as it was.
  const std::string text = to_json(form);
  const std::string temp = path + ".saving";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      throw Error(errors::kPathFileAccess, path + ": cannot write the form file");
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    fs::remove(temp, ec);
    throw Error(errors::kPathFileAccess, path + ": cannot replace the form file");
  }
}

}  // namespace brelund::forms
