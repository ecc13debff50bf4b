// Writing form files: pictures inline as base64 PNG, colours in &H notation, and a save that
// replaces the old file only once the new text is complete.
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "brelund/forms.h"
#include "control/shortest.h"
#include "host/common/forms/base64.h"
#include "host/common/forms/limits.h"
#include "host/common/png.h"
#include "host/common/utf8.h"

namespace brelund::forms {

namespace {

namespace fs = std::filesystem;

// &H, eight hexadecimal digits in capitals, &.
std::string colour_text(OleColor c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "&H00000000&";
  auto v = static_cast<std::uint32_t>(c);
  for (int i = 9; i >= 2; --i, v >>= 4) text[static_cast<std::size_t>(i)] = kHex[v & 15];
  return text;
}

// The picture as a save writes it: base64 PNG, empty for a picture object without an image.
std::string picture_text(const Picture& p) {
  return p.handle == 0 ? std::string() : base64::encode(png::encode(p.width, p.height, p.pixels));
}

// The library lays the text out (two spaces a level, "key": value); strings and fractions are
// written in the form files' own notation, which files already saved are in: \u001f in lower
// case, and fractions as the shortest text that reads back, with ".0" on whole ones and an
// exponent of at least two digits outside 1e-4 .. 1e15.
class Writer {
 public:
  Writer() : out_(buffer_) { out_.SetIndent(' ', 2); }

  // Where the strings written next come from, for a message naming them: a control by its name,
  // or by its number (from 1) when it is the name that is written.
  void at(std::string_view control, std::string_view key, std::size_t number = 0) {
    control_ = control;
    key_ = key;
    number_ = number;
  }

  void begin_object() { out_.StartObject(); }
  void end_object() { out_.EndObject(); }
  void begin_array() { out_.StartArray(); }
  void end_array() { out_.EndArray(); }
  // One of the file's own keys: plain ASCII, quoted as it is.
  template <std::size_t N>
  void key(const char (&k)[N]) {
    static_assert(N < 24);
    char quoted[N + 1];
    quoted[0] = '"';
    std::memcpy(quoted + 1, k, N - 1);
    quoted[N] = '"';
    out_.RawValue(quoted, N + 1, rapidjson::kStringType);
  }
  // Keys are checked as values are; one that is not UTF-8 has no key to name.
  void key(std::string_view k) {
    if (!quote(k)) fail("form: text is not valid UTF-8; nothing was saved");
    out_.RawValue(token_.data(), token_.size(), rapidjson::kStringType);
  }
  void string(std::string_view s) {
    if (!quote(s)) {
      std::string control(control_);
      if (number_) control.assign(1, '#').append(std::to_string(number_));
      fail(where("form", control, std::string(key_)) +
           ": text is not valid UTF-8; nothing was saved");
    }
    out_.RawValue(token_.data(), token_.size(), rapidjson::kStringType);
  }
  void null() { out_.Null(); }
  void boolean(bool b) { out_.Bool(b); }
  void integer(std::int32_t i) { out_.Int(i); }
  void number(double d) {
    if (!std::isfinite(d)) return null();
    char buf[48];
    const std::size_t n = fraction_text(d, buf);
    out_.RawValue(buf, n, rapidjson::kNumberType);
  }
  // A float as the double its shortest text stands for (450.7, not 450.70001220703125). A whole
  // float up to 2^24 is that double already, and most places and sizes are one.
  void number(float f) {
    const bool whole = std::fabs(f) < 16777216.0f && f == std::floor(f);
    number(whole ? static_cast<double>(f) : num::shortest(f));
  }

  std::string text() const {
    std::string t;
    t.reserve(buffer_.GetSize() + 1);
    t.append(buffer_.GetString(), buffer_.GetSize()).push_back('\n');
    return t;
  }

 private:
  [[noreturn]] static void fail(const std::string& message) {
    throw Error(errors::kInvalidPropertyValue, message);
  }

  // The string in quotes, escaped, into token_; false when it is not UTF-8. Runs that need no
  // escape are copied whole.
  bool quote(std::string_view s) {
    static constexpr char kHex[] = "0123456789abcdef";
    token_.clear();
    token_.push_back('"');
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* const end = p + s.size();
    while (p < end) {
      const auto* run = p;
      while (p < end && *p >= 0x20 && *p < 0x80 && *p != '"' && *p != '\\') ++p;
      token_.append(reinterpret_cast<const char*>(run), static_cast<std::size_t>(p - run));
      if (p == end) break;
      const unsigned c = *p;
      if (c >= 0x80) {
        const std::size_t n = utf8::sequence(p, end);
        if (!n) return false;
        token_.append(reinterpret_cast<const char*>(p), n);
        p += n;
        continue;
      }
      ++p;
      // A quote, a backslash and the controls that have a letter of their own get it; any
      // other control is \u00XX.
      static constexpr std::string_view kNamed = "\"\\\b\f\n\r\t", kLetter = "\"\\bfnrt";
      token_.push_back('\\');
      if (const auto k = kNamed.find(static_cast<char>(c)); k != std::string_view::npos) {
        token_.push_back(kLetter[k]);
      } else {
        const char u[] = {'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        token_.append(u, sizeof u);
      }
    }
    token_.push_back('"');
    return true;
  }

  // The shortest digits that read back as d (> 0), correctly rounded, and the power of ten of
  // the first: to_chars where the standard library has it for doubles; the browser build's
  // libc++ has not, and its C library's %.*e (correctly rounded, in the "C" locale) stands in.
  static int shortest_digits(double d, char* digits, int& first_power) {
    char buf[40];
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
    const char* end = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific).ptr;
#else
    int length = 0;
    for (int precision = 0; precision < 17; ++precision) {
      length = std::snprintf(buf, sizeof buf, "%.*e", precision, d);
      if (std::strtod(buf, nullptr) == d) break;
    }
    const char* end = buf + length;
#endif
    int k = 0;
    const char* p = buf;
    for (; p < end && *p != 'e'; ++p)
      if (*p != '.') digits[k++] = *p;
    while (k > 1 && digits[k - 1] == '0') --k;
    // The exponent after the 'e': a sign, then digits.
    const bool negative = p + 1 < end && p[1] == '-';
    int power = 0;
    for (const char* q = p + 2; q < end; ++q) power = power * 10 + (*q - '0');
    first_power = negative ? -power : power;
    return k;
  }

  // A finite double as the shortest digits that read back, laid out as described above.
  static std::size_t fraction_text(double d, char* out) {
    char* o = out;
    if (std::signbit(d)) {
      *o++ = '-';
      d = -d;
    }
    if (d == 0) {
      std::memcpy(o, "0.0", 3);
      return static_cast<std::size_t>(o + 3 - out);
    }
    // Whole numbers (most places and sizes) need no search for their digits: below 1e15 every
    // one is a double of its own, written with all its digits.
    if (d < 1e15 && d == std::floor(d)) {
      o = std::to_chars(o, o + 20, static_cast<long long>(d)).ptr;
      *o++ = '.';
      *o++ = '0';
      return static_cast<std::size_t>(o - out);
    }
    char digits[24];
    int first_power = 0;
    const int k = shortest_digits(d, digits, first_power);
    const int n = first_power + 1;  // the decimal point's place after the first digit
    constexpr int kMinExp = -4, kMaxExp = 15;
    if (k <= n && n <= kMaxExp) {  // a whole number: digits, zeros, ".0"
      std::memcpy(o, digits, static_cast<std::size_t>(k));
      std::memset(o + k, '0', static_cast<std::size_t>(n - k));
      o += n;
      *o++ = '.';
      *o++ = '0';
    } else if (0 < n && n <= kMaxExp) {  // the point inside the digits
      std::memcpy(o, digits, static_cast<std::size_t>(n));
      o += n;
      *o++ = '.';
      std::memcpy(o, digits + n, static_cast<std::size_t>(k - n));
      o += k - n;
    } else if (kMinExp < n && n <= 0) {  // 0.000ddd
      *o++ = '0';
      *o++ = '.';
      std::memset(o, '0', static_cast<std::size_t>(-n));
      o += -n;
      std::memcpy(o, digits, static_cast<std::size_t>(k));
      o += k;
    } else {  // d.ddde+XX
      *o++ = digits[0];
      if (k > 1) {
        *o++ = '.';
        std::memcpy(o, digits + 1, static_cast<std::size_t>(k - 1));
        o += k - 1;
      }
      int e = n - 1;
      *o++ = 'e';
      *o++ = e < 0 ? '-' : '+';
      if (e < 0) e = -e;
      if (e >= 100) *o++ = static_cast<char>('0' + e / 100);
      *o++ = static_cast<char>('0' + e / 10 % 10);
      *o++ = static_cast<char>('0' + e % 10);
    }
    return static_cast<std::size_t>(o - out);
  }

  rapidjson::StringBuffer buffer_;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> out_;
  std::string token_;
  std::string_view control_, key_;
  std::size_t number_ = 0;
};

void write_font(Writer& w, const Font& f) {
  w.begin_object();
  w.key("Name");
  w.string(f.name);
  w.key("Size");
  w.number(f.size);
  for (auto [k, v] :
       {std::pair{"Bold", f.bold}, std::pair{"Italic", f.italic},
        std::pair{"Underline", f.underline}, std::pair{"Strikethrough", f.strikethrough}}) {
    w.key(k);
    w.boolean(v);
  }
  w.key("Weight");
  w.integer(f.weight);
  w.key("Charset");
  w.integer(f.charset);
  w.end_object();
}

void write_value(Writer& w, const std::string& key, const Variant& v) {
  struct Visitor {
    Writer& w;
    const std::string& key;
    void operator()(std::monostate) const { w.null(); }
    void operator()(Nothing) const { w.null(); }
    void operator()(bool b) const { w.boolean(b); }
    void operator()(std::int16_t i) const { w.integer(i); }
    void operator()(std::int32_t i) const {
      if (key == "BackColor" || key == "ForeColor") return w.string(colour_text(i));
      w.integer(i);
    }
    void operator()(double d) const { w.number(d); }
    void operator()(const std::string& s) const { w.string(s); }
    void operator()(const FontRef& f) const { f ? write_font(w, *f) : w.null(); }
    void operator()(const PictureRef& p) const {
      if (!p) return w.null();
      w.begin_object();
      w.key("png");
      w.string(picture_text(*p));
      w.end_object();
    }
  };
  std::visit(Visitor{w, key}, v);
}

// The numbers of a place or size: floats, written as the shortest text that reads back.
template <std::size_t N>
void write_twips(Writer& w, const char (&key)[N], float v) {
  w.key(key);
  w.number(v);
}

}  // namespace

std::string to_json(const Form& form) {
  Writer w;
  w.begin_object();
  w.key("Form");
  w.begin_object();
  w.at("", "Form.Caption");
  w.key("Caption");
  w.string(form.caption);
  write_twips(w, "Width", form.width);
  write_twips(w, "Height", form.height);
  w.key("BackColor");
  w.string(colour_text(form.back_color));
  if (form.font) {
    w.at("", "Form.Font");
    w.key("Font");
    write_font(w, *form.font);
  }
  w.end_object();
  w.key("Controls");
  w.begin_array();
  for (std::size_t i = 0; i < form.controls.size(); ++i) {
    const Control& c = form.controls[i];
    w.begin_object();
    w.at("", "Name", i + 1);
    w.key("Name");
    w.string(c.name);
    write_twips(w, "Left", c.left);
    write_twips(w, "Top", c.top);
    write_twips(w, "Width", c.width);
    write_twips(w, "Height", c.height);
    w.key("Default");
    w.boolean(c.is_default);
    w.key("Cancel");
    w.boolean(c.is_cancel);
    w.key("Properties");
    w.begin_object();
    // A key given twice keeps its first place and its last value, as a property bag would.
    const auto& props = c.properties;
    for (std::size_t p = 0; p < props.size(); ++p) {
      const std::string& k = props[p].first;
      const auto same = [&](const auto& e) { return e.first == k; };
      if (std::any_of(props.begin(), props.begin() + static_cast<std::ptrdiff_t>(p), same))
        continue;
      const auto last = std::find_if(props.rbegin(), props.rend(), same);
      w.at(c.name, k);
      w.key(k);
      write_value(w, k, last->second);
    }
    w.end_object();
    w.end_object();
  }
  w.end_array();
  w.end_object();
  return w.text();
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
