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

json font_json(const Font& f) {
  return json{{"Name", f.name},     {"Size", f.size},           {"Bold", f.bold},
              {"Italic", f.italic}, {"Underline", f.underline}, {"Strikethrough", f.strikethrough},
              {"Weight", f.weight}, {"Charset", f.charset}};
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
  json f{{"Caption", form.caption},
         {"Width", num::shortest(form.width)},
         {"Height", num::shortest(form.height)},
         {"BackColor", colour_text(form.back_color)}};
  if (form.font) f["Font"] = font_json(*form.font);
  json controls = json::array();
  for (const auto& c : form.controls) {
    json props = json::object();
    for (const auto& [k, v] : c.properties) props[k] = value_json(k, v);
    controls.push_back(json{{"Name", c.name},
                            {"Left", num::shortest(c.left)},
                            {"Top", num::shortest(c.top)},
                            {"Width", num::shortest(c.width)},
                            {"Height", num::shortest(c.height)},
                            {"Default", c.is_default},
                            {"Cancel", c.is_cancel},
                            {"Properties", props}});
  }
  try {
    return json{{"Form", f}, {"Controls", controls}}.dump(2) + "\n";
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
