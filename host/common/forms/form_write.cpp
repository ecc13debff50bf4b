// Writing form files: pictures inline as base64 PNG, colours in &H notation, and a save that
// replaces the old file only once the new text is complete.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "brelund/forms.h"
#include "control/shortest.h"
#include "host/common/forms/base64.h"
#include "host/common/forms/form_json.h"
#include "host/common/forms/limits.h"
#include "host/common/forms/utf8.h"
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

#ifndef BRELUND_FORMS_OWN_READER_ONLY
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
#endif

// The text the JSON library's dump(2) makes of the document that to_json_dom builds, written
// straight from the form: a form of a thousand buttons spent far longer building and freeing
// that document than writing it. It keeps to what it can reproduce exactly and gives up, for
// the library to write (or to report), on text that is not UTF-8 and on a control that names a
// key twice (the document would keep one of them).
class DirectWriter {
 public:
  std::optional<std::string> write(const Form& form) {
    out_.reserve(256 + form.controls.size() * 400);
    out_ += "{\n  \"Form\": {\n";
    field(4, "Caption");
    if (!string(form.caption)) return std::nullopt;
    next_field(4, "Width");
    number(num::shortest(form.width));
    next_field(4, "Height");
    number(num::shortest(form.height));
    next_field(4, "BackColor");
    if (!string(colour_text(form.back_color))) return std::nullopt;
    if (form.font) {
      next_field(4, "Font");
      if (!font(*form.font, 4)) return std::nullopt;
    }
    out_ += "\n  },\n  \"Controls\": ";
    if (form.controls.empty()) {
      out_ += "[]";
    } else {
      out_ += "[\n";
      for (std::size_t i = 0; i < form.controls.size(); ++i) {
        if (i) out_ += ",\n";
        indent(4);
        if (!control(form.controls[i])) return std::nullopt;
      }
      out_ += '\n';
      indent(2);
      out_ += ']';
    }
    out_ += "\n}\n";
    return std::move(out_);
  }

 private:
  bool control(const Control& c) {
    out_ += "{\n";
    field(6, "Name");
    if (!string(c.name)) return false;
    next_field(6, "Left");
    number(num::shortest(c.left));
    next_field(6, "Top");
    number(num::shortest(c.top));
    next_field(6, "Width");
    number(num::shortest(c.width));
    next_field(6, "Height");
    number(num::shortest(c.height));
    next_field(6, "Default");
    boolean(c.is_default);
    next_field(6, "Cancel");
    boolean(c.is_cancel);
    next_field(6, "Properties");
    if (c.properties.empty()) {
      out_ += "{}";
    } else {
      out_ += "{\n";
      for (std::size_t i = 0; i < c.properties.size(); ++i) {
        const auto& [k, v] = c.properties[i];
        for (std::size_t j = 0; j < i; ++j)
          if (c.properties[j].first == k) return false;
        if (i) out_ += ",\n";
        indent(8);
        if (!string(k)) return false;
        out_ += ": ";
        if (!value(k, v, 8)) return false;
      }
      out_ += '\n';
      indent(6);
      out_ += '}';
    }
    out_ += '\n';
    indent(4);
    out_ += '}';
    return true;
  }

  bool value(const std::string& key, const Variant& v, int depth) {
    struct Visitor {
      DirectWriter& w;
      const std::string& key;
      int depth;
      bool operator()(std::monostate) const { return w.null(); }
      bool operator()(Nothing) const { return w.null(); }
      bool operator()(bool b) const { return w.boolean(b), true; }
      bool operator()(std::int16_t i) const { return w.integer(i), true; }
      bool operator()(std::int32_t i) const {
        if (key == "BackColor" || key == "ForeColor") return w.string(colour_text(i));
        return w.integer(i), true;
      }
      bool operator()(double d) const { return w.number(d), true; }
      bool operator()(const std::string& s) const { return w.string(s); }
      bool operator()(const FontRef& f) const { return f ? w.font(*f, depth) : w.null(); }
      bool operator()(const PictureRef& p) const {
        if (!p) return w.null();
        w.out_ += "{\n";
        w.field(depth + 2, "png");
        if (!w.string(picture_text(*p))) return false;
        w.out_ += '\n';
        w.indent(depth);
        w.out_ += '}';
        return true;
      }
    };
    return std::visit(Visitor{*this, key, depth}, v);
  }

  bool font(const Font& f, int depth) {
    const int in = depth + 2;
    out_ += "{\n";
    field(in, "Name");
    if (!string(f.name)) return false;
    next_field(in, "Size");
    number(f.size);
    next_field(in, "Bold");
    boolean(f.bold);
    next_field(in, "Italic");
    boolean(f.italic);
    next_field(in, "Underline");
    boolean(f.underline);
    next_field(in, "Strikethrough");
    boolean(f.strikethrough);
    next_field(in, "Weight");
    integer(f.weight);
    next_field(in, "Charset");
    integer(f.charset);
    out_ += '\n';
    indent(depth);
    out_ += '}';
    return true;
  }

  void indent(int n) { out_.append(static_cast<std::size_t>(n), ' '); }
  // A key of our own (plain ASCII, nothing to escape) and what goes before its value.
  void field(int depth, std::string_view key) {
    indent(depth);
    out_ += '"';
    out_ += key;
    out_ += "\": ";
  }
  void next_field(int depth, std::string_view key) {
    out_ += ",\n";
    field(depth, key);
  }
  bool null() {
    out_ += "null";
    return true;
  }
  void boolean(bool b) { out_ += b ? "true" : "false"; }
  void integer(long long i) {
    char buf[24];
    out_.append(buf, std::to_chars(buf, buf + sizeof buf, i).ptr);
  }
  // As the library writes a floating-point number: null when not finite, otherwise its shortest
  // form (its own routine, so that every digit agrees).
  void number(double d) {
    if (!std::isfinite(d)) {
      out_ += "null";
      return;
    }
    char buf[64];
    out_.append(buf, nlohmann::detail::to_chars(buf, buf + sizeof buf, d));
  }
  // Quoted and escaped as the library does without ensure_ascii: the two-letter escapes, \u00xx
  // for the other control characters, everything else as it is. False for text that is not
  // UTF-8.
  bool string(std::string_view s) {
    out_ += '"';
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    while (p < end) {
      const auto* run = p;
      while (p < end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\') ++p;
      out_.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
      if (p == end) break;
      const unsigned c = *p;
      if (c >= 0x80) {
        const std::size_t n = utf8::sequence(p, end);
        if (n == 0) return false;
        out_.append(reinterpret_cast<const char*>(p), n);
        p += n;
        continue;
      }
      ++p;
      switch (c) {
        case '"':
          out_ += "\\\"";
          break;
        case '\\':
          out_ += "\\\\";
          break;
        case '\b':
          out_ += "\\b";
          break;
        case '\t':
          out_ += "\\t";
          break;
        case '\n':
          out_ += "\\n";
          break;
        case '\f':
          out_ += "\\f";
          break;
        case '\r':
          out_ += "\\r";
          break;
        default: {
          static constexpr char kHex[] = "0123456789abcdef";
          out_ += "\\u00";
          out_ += kHex[c >> 4];
          out_ += kHex[c & 0xF];
        }
      }
    }
    out_ += '"';
    return true;
  }

  std::string out_;
};

}  // namespace

#ifdef BRELUND_FORMS_OWN_READER_ONLY
// Without the library (a web page's module) only what the direct writer declines reaches here:
// text that is not UTF-8, or a control naming a key twice.
std::string detail::to_json_with_library(const Form&) {
  throw Error(errors::kInvalidPropertyValue,
              "form: text that is not valid UTF-8, or a key given twice; nothing was saved");
}
#else
// The form as a JSON document, written by the library: the reference the direct writer
// reproduces, and what writes (or reports) what the direct writer leaves to it.
std::string detail::to_json_with_library(const Form& form) {
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
#endif

std::string to_json(const Form& form) {
  if (auto text = DirectWriter().write(form)) return std::move(*text);
  return detail::to_json_with_library(form);
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
