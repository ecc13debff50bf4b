// Writing form files: pictures inline as base64 PNG, colours in &H notation, and a save that
// replaces the old file only once the new text is complete.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "brelund/forms.h"
#include "host/common/forms/base64.h"
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
      const std::string data = p->handle == 0
                                   ? std::string()
                                   : base64::encode(png::encode(p->width, p->height, p->pixels));
      return json{{"png", data}};
    }
  };
  return std::visit(Visitor{key}, v);
}

}  // namespace

std::string to_json(const Form& form) {
  json f{{"Caption", form.caption},
         {"Width", form.width},
         {"Height", form.height},
         {"BackColor", colour_text(form.back_color)}};
  if (form.font) f["Font"] = font_json(*form.font);
  json controls = json::array();
  for (const auto& c : form.controls) {
    json props = json::object();
    for (const auto& [k, v] : c.properties) props[k] = value_json(k, v);
    controls.push_back(json{{"Name", c.name},
                            {"Left", c.left},
                            {"Top", c.top},
                            {"Width", c.width},
                            {"Height", c.height},
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

void save(const Form& form, const std::string& path) {
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
