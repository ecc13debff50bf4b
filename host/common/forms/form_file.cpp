// Reading form files: every value checked against its key and the limits before it is used.
#include "brelund/forms.h"

#include <rapidjson/document.h>
#include <rapidjson/reader.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <tuple>
#include <unordered_set>

#include "control/convert.h"
#include "control/property_table.h"
#include "host/common/forms/base64.h"
#include "host/common/forms/escape.h"
#include "host/common/forms/limits.h"
#include "host/common/forms/property_names.h"
#include "host/common/png.h"
#include "host/common/utf8.h"

namespace brelund::forms {

namespace {

using json = rapidjson::Value;
namespace fs = std::filesystem;

// The few questions the reading below asks of a value, in the form reader's own terms (an
// unsigned and a signed integer are both whole numbers to it).
enum class Type { null, boolean, integer, floating, string, object, other };

Type type(const json& j) {
  switch (j.GetType()) {
    case rapidjson::kNullType:
      return Type::null;
    case rapidjson::kFalseType:
    case rapidjson::kTrueType:
      return Type::boolean;
    case rapidjson::kNumberType:
      return j.IsDouble() ? Type::floating : Type::integer;
    case rapidjson::kStringType:
      return Type::string;
    case rapidjson::kObjectType:
      return Type::object;
    default:
      return Type::other;
  }
}
std::string_view text(const json& j) { return {j.GetString(), j.GetStringLength()}; }
double number(const json& j) { return j.GetDouble(); }
// Asked only of whole numbers; one above the signed range wraps, as a cast would (the callers
// check the range on the double first).
long long integer(const json& j) {
  return j.IsInt64() ? j.GetInt64() : static_cast<long long>(j.GetUint64());
}
bool boolean(const json& j) { return j.GetBool(); }
const json* member(const json& j, std::string_view key) {
  for (auto it = j.MemberBegin(); it != j.MemberEnd(); ++it)
    if (text(it->name) == key) return &it->value;
  return nullptr;
}
template <class Fn>
void each_member(const json& j, Fn&& fn) {
  for (auto it = j.MemberBegin(); it != j.MemberEnd(); ++it) fn(text(it->name), it->value);
}
template <class Fn>
void each_element(const json& j, Fn&& fn) {
  for (const json& e : j.GetArray()) fn(e);
}

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

// An unknown name: the nearest known one is offered when it is near enough.
[[noreturn]] void unknown(const Context& cx, const char* what, std::string_view key,
                          const std::vector<std::string_view>& known) {
  std::string message = "unknown " + std::string(what);
  if (const auto near = suggest(key, known))
    message += "; did you mean \"" + std::string(*near) + "\"?";
  cx.fail(message);
}

const std::vector<std::string_view> kSections = {"Form", "Controls"};
const std::vector<std::string_view> kFormKeys = {"Caption", "Width", "Height", "BackColor", "Font"};
const std::vector<std::string_view> kControlKeys = {"Name",   "Left",    "Top",    "Width",
                                                    "Height", "Default", "Cancel", "Properties"};
const std::vector<std::string_view> kFontKeys = {"Name",      "Size",          "Bold",   "Italic",
                                                 "Underline", "Strikethrough", "Weight", "Charset"};

bool is_number(const json& j) { return type(j) == Type::integer || type(j) == Type::floating; }

// A whole number, written as an integer or as a number without a fraction (20.0), in range.
long long checked_integer(const json& j, const Context& cx, long long least, long long most) {
  // The range is named only in a message: built for each value, it was most of a form's reading.
  const auto fail = [&](const char* what, const char* after = "") {
    cx.fail(what + (" (" + std::to_string(least) + " to " + std::to_string(most) + ")") + after);
  };
  if (!is_number(j)) fail("expected an integer");
  const double d = number(j);
  if (type(j) == Type::floating && (!std::isfinite(d) || d != std::floor(d)))
    fail("expected an integer", ", not a fraction");
  if (d < static_cast<double>(least) || d > static_cast<double>(most)) fail("value out of range");
  return type(j) == Type::integer ? integer(j) : static_cast<long long>(d);
}

std::string checked_string(const json& j, const Context& cx) {
  if (type(j) != Type::string) cx.fail("expected a string");
  const std::string_view s = text(j);
  if (s.size() > kMaxStringBytes)
    cx.fail("string of " + std::to_string(s.size()) + " bytes is longer than the limit of " +
            std::to_string(kMaxStringBytes));
  return std::string(s);
}

float checked_twips(const json& j, const Context& cx) {
  if (type(j) != Type::integer && type(j) != Type::floating) cx.fail("expected a number of twips");
  const double v = number(j);
  if (!detail::twips_in_range(v)) cx.fail("value out of range");
  return static_cast<float>(v);
}

bool checked_bool(const json& j, const Context& cx) {
  if (type(j) != Type::boolean) cx.fail("expected true or false");
  return boolean(j);
}

FontRef parse_font(const json& j, const Context& cx) {
  if (type(j) != Type::object) cx.fail("expected a font object");
  Font f;
  each_member(j, [&](std::string_view k, const auto& v) {
    if (k == "Name") {
      f.name = checked_string(v, cx);
    } else if (k == "Size") {
      if ((type(v) != Type::integer && type(v) != Type::floating) ||
          !detail::font_size_in_range(number(v)))
        cx.fail("font size out of range");
      f.size = number(v);
    } else if (k == "Bold") {
      f.bold = checked_bool(v, cx);
    } else if (k == "Italic") {
      f.italic = checked_bool(v, cx);
    } else if (k == "Underline") {
      f.underline = checked_bool(v, cx);
    } else if (k == "Strikethrough") {
      f.strikethrough = checked_bool(v, cx);
    } else if (k == "Weight" || k == "Charset") {
      if (type(v) != Type::integer || !detail::font_number_in_range(integer(v)))
        cx.fail("font " + std::string(k) + " out of range");
      (k == "Weight" ? f.weight : f.charset) = static_cast<std::int16_t>(integer(v));
    } else {
      unknown(cx, ("font attribute \"" + escaped(k) + "\"").c_str(), k, kFontKeys);
    }
  });
  if (f.bold && f.weight < 700) f.weight = 700;
  return std::make_shared<const Font>(std::move(f));
}

PictureRef picture_file(const std::string& rel, const Context& cx) {
#ifdef BRELUND_FORMS_WITHOUT_FILES
  // A web page's module reads no files (and weighs every byte it would take to).
  cx.fail("picture \"" + escaped(rel) + "\": a page has no files; give the picture inline");
#else
  const fs::path p(rel);
  if (rel.empty() || p.is_absolute() || p.has_root_name() || p.has_root_directory())
    cx.fail("picture path \"" + escaped(rel) + "\" must be relative to the form's folder");
  for (const auto& part : p.lexically_normal())
    if (part == "..") cx.fail("picture path \"" + escaped(rel) + "\" leaves the form's folder");
  const fs::path full = fs::path(cx.folder) / p.lexically_normal();
  // A link inside the folder may still point outside it. Both sides are made absolute first: a
  // form in the current folder has an empty folder, and a relative name of a file that does not
  // exist stays relative through weakly_canonical, which would look like a path leaving it.
  std::error_code full_ec, base_ec;
  const fs::path real = fs::weakly_canonical(fs::absolute(full, full_ec), full_ec);
  const fs::path base = fs::weakly_canonical(
      fs::absolute(fs::path(cx.folder.empty() ? "." : cx.folder), base_ec), base_ec);
  const auto rel_to_base = real.lexically_relative(base);
  if (full_ec || base_ec || rel_to_base.empty() || *rel_to_base.begin() == "..")
    cx.fail("picture path \"" + escaped(rel) + "\" leaves the form's folder");
  try {
    return png::decode(png::read_file(full.string(), kMaxFileBytes));
  } catch (const Error& e) {
    cx.fail("picture \"" + escaped(rel) + "\": " + e.description(), e.number());
  }
#endif
}

PictureRef parse_picture(const json& j, const Context& cx) {
  if (j.MemberCount() != 1) cx.fail("a picture is {\"png\": BASE64} or {\"file\": PATH}");
  if (const auto data = member(j, "png")) {
    if (type(*data) != Type::string) cx.fail("expected base64 text under \"png\"");
    const std::string_view base64_text = text(*data);
    if (base64_text.size() > kMaxFileBytes / 3 * 4 + 4)
      cx.fail("inline picture is larger than the limit");
    auto bytes = base64::decode(base64_text);
    if (!bytes) cx.fail("inline picture is not valid base64");
    if (bytes->empty()) return make_empty_picture();
    try {
      return png::decode(*bytes);
    } catch (const Error& e) {
      cx.fail("inline picture: " + e.description(), e.number());
    }
  }
  if (const auto file = member(j, "file")) return picture_file(checked_string(*file, cx), cx);
  cx.fail("a picture is {\"png\": BASE64} or {\"file\": PATH}");
}

Variant parse_value(const json& j, const Context& cx) {
  switch (type(j)) {
    case Type::null:
      return Nothing{};
    case Type::boolean:
      return boolean(j);
    case Type::integer: {
      const double d = number(j);
      if (d >= INT32_MIN && d <= INT32_MAX) return static_cast<std::int32_t>(integer(j));
      return d;
    }
    case Type::floating:
      return number(j);
    case Type::string:
      return checked_string(j, cx);
    case Type::object:
      if (member(j, "png") || member(j, "file")) return parse_picture(j, cx);
      return parse_font(j, cx);
    default:
      cx.fail("unsupported value (arrays and binary data are not property values)",
              errors::kTypeMismatch);
  }
}

// A saved property's value, of the member's own type: what a save writes for it, and nothing the
// control would have to convert.
Variant typed_value(const Member& m, const json& j, const Context& cx) {
  switch (m.type) {
    case ValueType::string:
      return checked_string(j, cx);
    case ValueType::boolean:
      return checked_bool(j, cx);
    case ValueType::int16: {
      const long long v = checked_integer(j, cx, INT16_MIN, INT16_MAX);
      if (m.id == MemberId::MousePointer && !detail::is_mouse_pointer(v))
        cx.fail("expected a pointer shape: 0 to 15, or 99");
      return static_cast<std::int32_t>(v);
    }
    case ValueType::int32: {
      const auto [least, most] = detail::property_range(m.id);
      return static_cast<std::int32_t>(checked_integer(j, cx, least, most));
    }
    case ValueType::ole_color:
      if (type(j) == Type::string) {
        const std::string t = checked_string(j, cx);
        if (!detail::is_colour_text(t))
          cx.fail("expected a colour: a number or &H notation (&H00C0C0F0&)");
        return t;
      }
      if (!is_number(j)) cx.fail("expected a colour: a number or &H notation (&H00C0C0F0&)");
      return static_cast<std::int32_t>(checked_integer(j, cx, INT32_MIN, INT32_MAX));
    case ValueType::font:
      return parse_font(j, cx);
    case ValueType::picture:
      if (type(j) == Type::null) return Nothing{};
      if (type(j) != Type::object)
        cx.fail("expected a picture: {\"png\": BASE64}, {\"file\": PATH} or null");
      return parse_picture(j, cx);
    default:
      cx.fail("not a saved property");
  }
}

Control parse_control(const json& j, Context& cx) {
  if (type(j) != Type::object) cx.fail("each control must be an object");
  Control c;
  if (const auto name = member(j, "Name")) {
    cx.key = "Name";
    c.name = checked_string(*name, cx);
    // An empty name would leave messages naming no control at all; the number still finds it.
    if (!c.name.empty()) cx.control = c.name;
  }
  each_member(j, [&](std::string_view k, const auto& v) {
    cx.key = k;
    if (k == "Name") return;
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
      if (type(v) != Type::object) cx.fail("expected an object of saved properties");
      c.properties.reserve(v.MemberCount());
      each_member(v, [&](std::string_view pk, const auto& pv) {
        cx.key = pk;
        if (pk.size() > 64) cx.fail("key name too long");
        const Member* m = saved_member(pk);
        if (!m) unknown(cx, "property", pk, property_names());
        c.properties.emplace_back(std::string(pk), typed_value(*m, pv, cx));
      });
    } else {
      unknown(cx, "control attribute", k, kControlKeys);
    }
  });
  if (c.width < 0 || c.height < 0) {
    cx.key = "Width";
    cx.fail("a control's size cannot be negative");
  }
  return c;
}

// Where in the text a byte is, as an editor shows it: line and column, from 1.
std::string position(const std::string& text, std::size_t byte) {
  byte = std::min(byte, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < byte; i += utf8::step(text, i).bytes) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool is_hex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Messages place a fault where a reader that takes the text a token at a time stops: at the
// last character of a token it did not expect, and inside a string or a number at the character
// that breaks it. The library says where the fault begins instead: the start of the unexpected
// token, the backslash of a bad escape, the first byte of a bad sequence. The two below move
// from the one to the other; past the end of the text when the text ends first.

// Inside a string from byte i (after its opening quote): the byte where reading it fails (the
// end of the text when it runs out), or the closing quote when nothing does (and then `closed`).
std::size_t stop_in_string(const std::string& t, std::size_t i, bool* closed = nullptr) {
  const auto hex4 = [&](std::size_t& k, unsigned& v) {  // k at the first digit
    v = 0;
    for (int d = 0; d < 4; ++d, ++k) {
      if (k >= t.size() || !is_hex(t[k])) return false;
      const char h = static_cast<char>(std::tolower(static_cast<unsigned char>(t[k])));
      v = v * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : h - 'a' + 10);
    }
    --k;  // on the last digit
    return true;
  };
  while (i < t.size()) {
    const auto c = static_cast<unsigned char>(t[i]);
    if (c == '"') {
      if (closed) *closed = true;
      return i;
    }
    if (c < 0x20) return i;
    if (c >= 0x80) {
      const auto* p = reinterpret_cast<const unsigned char*>(t.data());
      const utf8::Scan scan = utf8::scan(p + i, p + t.size());
      if (!scan.ok) return c < 0xC2 || c > 0xF4 ? i : i + scan.bytes;
      i += scan.bytes;
      continue;
    }
    if (c != '\\') {
      ++i;
      continue;
    }
    if (++i >= t.size()) return i;
    if (std::string_view("\"\\/bfnrt").find(t[i]) != std::string_view::npos) {
      ++i;
      continue;
    }
    if (t[i] != 'u') return i;
    std::size_t k = i + 1;
    unsigned v = 0;
    if (!hex4(k, v)) return k;
    if (v >= 0xDC00 && v <= 0xDFFF) return k;
    if (v >= 0xD800 && v <= 0xDBFF) {
      if (++k >= t.size() || t[k] != '\\') return k;
      if (++k >= t.size() || t[k] != 'u') return k;
      ++k;
      if (!hex4(k, v)) return k;
      if (v < 0xDC00 || v > 0xDFFF) return k;
    }
    i = k + 1;
  }
  return i;
}

// From the start of the token at byte i, a string's aside.
std::size_t stop_of_token(const std::string& t, std::size_t i) {
  if (i >= t.size()) return i;
  const char c = t[i];
  const auto digit = [&](std::size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
  if (c == '-' || digit(i)) {
    std::size_t k = i;
    if (t[k] == '-' && !digit(++k)) return k;
    if (t[k] == '0')
      ++k;
    else
      while (digit(k)) ++k;
    if (k < t.size() && t[k] == '.') {
      if (!digit(++k)) return k;
      while (digit(k)) ++k;
    }
    if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
      if (++k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
      if (!digit(k)) return k;
      while (digit(k)) ++k;
    }
    return k - 1;
  }
  for (const std::string_view word : {"true", "false", "null"}) {
    if (c != word[0]) continue;
    for (std::size_t k = 1; k < word.size(); ++k)
      if (i + k >= t.size() || t[i + k] != word[k]) return i + k;
    return i + word.size() - 1;
  }
  return i;
}

// What the library found wrong, in our words: its own messages name its internals
// ("kParseErrorValueInvalid"). `at` is where it says the fault is; `string` where the string
// begins that the builder refused, if it was one.
std::string malformed(const std::string& text, rapidjson::ParseErrorCode code, std::size_t at,
                      std::size_t string = 0) {
  if (code == rapidjson::kParseErrorNumberTooBig) return "malformed JSON: a number too large";
  bool in_string = false;
  switch (code) {
    case rapidjson::kParseErrorObjectMissName:
    case rapidjson::kParseErrorObjectMissColon:
    case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
    case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
    case rapidjson::kParseErrorDocumentRootNotSingular:
      if (at < text.size() && text[at] == '"') {
        // A string that was not expected is read to its end first, and may break before it.
        bool closed = false;
        at = stop_in_string(text, at + 1, &closed);
        in_string = !closed;
      } else {
        at = stop_of_token(text, at);
      }
      break;
    case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
    case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
    case rapidjson::kParseErrorStringEscapeInvalid:  // at the backslash, or a control character
    case rapidjson::kParseErrorStringInvalidEncoding:
      if (text[at] == '\\' || static_cast<unsigned char>(text[at]) >= 0x80)
        at = stop_in_string(text, at);
      in_string = true;
      break;
    case rapidjson::kParseErrorStringMissQuotationMark:  // a zero byte: the text ends only later
      in_string = true;
      break;
    case rapidjson::kParseErrorTermination:  // the builder's: a lone \uDC00..\uDFFF
      at = stop_in_string(text, string);
      in_string = true;
      break;
    default:
      break;
  }
  if (at >= text.size()) return "malformed JSON: the text ends early (" + position(text, at) + ")";
  // The fault may be inside a word (nope, tru); the word is shown from its start.
  const auto word = [&](std::size_t i) {
    return i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) ||
                               static_cast<unsigned char>(text[i]) >= 0x80);
  };
  while (at > 0 && word(at - 1)) --at;
  std::size_t end = at + 1;
  while (end < text.size() && end - at < 16 && word(at) && word(end)) ++end;
  const std::string what =
      in_string ? "a string with a control character, a bad escape or text that is not UTF-8"
                : "unexpected \"" + escaped(text.substr(at, end - at)) + "\"";
  return "malformed JSON at " + position(text, at) + ": " + what;
}

// Builds the document as the library's own parse does, and holds every string and key to the
// one UTF-8 rule (host/common/utf8.h): the library's own check goes byte by byte through each
// string, and lets an escaped lone low surrogate (\uDC00..\uDFFF) through. Outside strings,
// any byte that is not ASCII is refused by the library.
template <class Handler>
class Builder {
 public:
  explicit Builder(Handler& into) : into_(into) {}
  using SizeType = rapidjson::SizeType;
  bool Null() { return into_.Null(); }
  bool Bool(bool b) { return into_.Bool(b); }
  bool Int(int i) { return into_.Int(i); }
  bool Uint(unsigned i) { return into_.Uint(i); }
  bool Int64(std::int64_t i) { return into_.Int64(i); }
  bool Uint64(std::uint64_t i) { return into_.Uint64(i); }
  bool Double(double d) { return into_.Double(d); }
  bool RawNumber(const char* s, SizeType n, bool copy) { return into_.RawNumber(s, n, copy); }
  bool String(const char* s, SizeType n, bool copy) {
    return utf8_text(s, n) && into_.String(s, n, copy);
  }
  bool Key(const char* s, SizeType n, bool copy) {
    return utf8_text(s, n) && into_.Key(s, n, copy);
  }
  bool StartObject() { return into_.StartObject(); }
  bool EndObject(SizeType n) { return into_.EndObject(n); }
  bool StartArray() { return into_.StartArray(); }
  bool EndArray(SizeType n) { return into_.EndArray(n); }

  // Where the refused string begins (after its quote) in the text the strings are read in.
  const char* refused = nullptr;

 private:
  bool utf8_text(const char* s, SizeType n) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    for (std::size_t i = 0; i < n;) {
      if (p[i] < 0x80) {
        ++i;
        continue;
      }
      const std::size_t step = utf8::sequence(p + i, p + n);
      if (!step) {
        refused = s;
        return false;
      }
      i += step;
    }
    return true;
  }
  Handler& into_;
};

// The first key an object holds twice, in the order the text gives them, with the control it is
// in ("#N" inside the N-th element of Controls): the document keeps both, and a look-up would see
// only the first. Walked without recursion, as the text was read: its depth is the file's to
// choose.
std::optional<std::pair<std::string, std::string>> first_duplicate(const json& root) {
  if (!root.IsObject() && !root.IsArray()) return std::nullopt;
  struct Frame {
    const json* value;
    rapidjson::SizeType next;  // members or elements visited so far
    std::unique_ptr<std::unordered_set<std::string_view>> seen;  // large objects only
  };
  constexpr rapidjson::SizeType kLinear = 16;  // objects this small are searched in place
  std::vector<Frame> stack;
  stack.push_back({&root, 0, nullptr});
  while (!stack.empty()) {
    Frame& f = stack.back();
    const json& v = *f.value;
    const json* child = nullptr;
    if (v.IsObject()) {
      if (f.next == v.MemberCount()) {
        stack.pop_back();
        continue;
      }
      const auto m = v.MemberBegin() + f.next;
      const std::string_view k = text(m->name);
      bool twice = false;
      if (v.MemberCount() <= kLinear) {
        for (auto e = v.MemberBegin(); e != m && !twice; ++e) twice = text(e->name) == k;
      } else {
        if (!f.seen) f.seen = std::make_unique<std::unordered_set<std::string_view>>();
        twice = !f.seen->insert(k).second;
      }
      ++f.next;
      if (twice) {
        const std::string_view top =
            root.IsObject() ? text((root.MemberBegin() + (stack[0].next - 1))->name) : "";
        std::string control;
        if (stack.size() >= 3 && top == "Controls" && stack[1].value->IsArray())
          control = "#" + std::to_string(stack[1].next);
        return std::pair{control, stack.size() == 2 && top == "Form" ? "Form." + std::string(k)
                                                                     : std::string(k)};
      }
      child = &m->value;
    } else {
      if (f.next == v.Size()) {
        stack.pop_back();
        continue;
      }
      child = &v[f.next++];
    }
    if (child->IsObject() || child->IsArray()) stack.push_back({child, 0, nullptr});
  }
  return std::nullopt;
}

// Readies the copy for the library's full-precision reading of numbers, which overflows its own
// integers for an exponent past any double's (beyond 1e±400), and for any large exponent on a
// zero. False for the first; the second is written as the exponent 0, the same value, in place.
bool tame_exponents(std::string& text) {
  const auto digit = [&](std::size_t i) {
    return i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
  };
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        in_string = false;
      continue;
    }
    if (c == '"') {
      in_string = true;
      continue;
    }
    if (!digit(i)) continue;
    bool zero = true;
    for (; digit(i) || (i < text.size() && text[i] == '.'); ++i)
      zero = zero && (text[i] == '0' || text[i] == '.');
    if (i >= text.size() || (text[i] != 'e' && text[i] != 'E')) continue;
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    int exponent = 0;
    for (std::size_t k = j; digit(k); ++k) {
      exponent = std::min(exponent * 10 + (text[k] - '0'), 1000);
      if (zero) text[k] = '0';
    }
    if (!zero && exponent > 400) return false;
    i = j - 1;
  }
  return true;
}

// A document read in place: its strings lie in its own copy of the text.
struct Document {
  std::string text;
  rapidjson::Document root;
};

// Reads the text (from byte `skip`) into doc, in place. On a failure, `refused` is where a string
// the builder refused begins; `end` is where the reading stopped.
template <unsigned kFlags>
rapidjson::ParseResult read_in_place(const std::string& text, std::size_t skip, Document& doc,
                                     const char*& refused, std::size_t& end) {
  doc.text.assign(text, skip);
  // The library's UTF-8 check takes a whole sequence before judging it, so a lead byte at the end
  // reads up to three bytes past the text: zeros there end it, inside the copy.
  doc.text.append(4, '\0');
  if (!tame_exponents(doc.text))
    return rapidjson::ParseResult(rapidjson::kParseErrorNumberTooBig, 0);
  rapidjson::Reader reader;
  rapidjson::InsituStringStream in(doc.text.data());
  rapidjson::ParseResult result;
  auto generate = [&](rapidjson::Document& into) {
    Builder<rapidjson::Document> builder(into);
    result = reader.Parse<kFlags>(in, builder);
    refused = builder.refused;
    return !result.IsError();
  };
  doc.root.Populate(generate);
  end = in.Tell();
  return result;
}

// The text as one JSON object, or an error saying what is wrong with it.
void parse_object(const std::string& text, Context cx, const char* not_an_object, Document& doc) {
  if (text.size() > kMaxFileBytes) cx.fail("file is larger than the limit");
  // Strict: numbers are read to the last digit, and nesting takes no stack. Strings are read
  // where they are, in a copy of the text, and held to UTF-8 by the builder.
  constexpr unsigned kFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag |
                              rapidjson::kParseInsituFlag;
  // A byte-order mark is allowed, as editors write one.
  const std::size_t skip = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  const char* refused = nullptr;
  std::size_t end = 0;
  rapidjson::ParseResult result = read_in_place<kFlags>(text, skip, doc, refused, end);
  if (result.IsError()) {
    // A text that fails is read again with the library checking UTF-8 byte by byte, as it goes:
    // the first of several faults in a string is then the one named. The builder's check at the
    // end of each string is the same rule, and no faster to fail.
    const char* again_refused = nullptr;
    const rapidjson::ParseResult again =
        read_in_place<kFlags | rapidjson::kParseValidateEncodingFlag>(text, skip, doc,
                                                                      again_refused, end);
    if (again.IsError()) {
      result = again;
      refused = again_refused;
    }
    // Strings are read in place: a refused one begins where its text lies in the copy.
    const std::size_t string = refused ? static_cast<std::size_t>(refused - doc.text.data()) : 0;
    cx.fail(malformed(text, result.Code(), result.Offset() + skip, string + skip));
  }
  // The stream reads a zero byte as the end of the text: one after the value is refused here.
  if (end + skip < text.size())
    cx.fail(malformed(text, rapidjson::kParseErrorDocumentRootNotSingular, end + skip));
  if (const auto duplicate = first_duplicate(doc.root)) {
    cx.control = duplicate->first;
    cx.key = duplicate->second;
    cx.fail("the key is given twice");
  }
  if (!doc.root.IsObject()) cx.fail(not_an_object);
}

// The form in a document the text was read into.
Form form_of(const json& doc, Context& cx) {
  Form form;
  form.font = std::make_shared<const Font>();
  if (const auto section = member(doc, "Form")) {
    cx.key = "Form";
    if (type(*section) != Type::object) cx.fail("expected an object");
    each_member(*section, [&](std::string_view k, const auto& v) {
      cx.key = "Form." + std::string(k);
      if (k == "Caption")
        form.caption = checked_string(v, cx);
      else if (k == "Width")
        form.width = checked_twips(v, cx);
      else if (k == "Height")
        form.height = checked_twips(v, cx);
      else if (k == "BackColor") {
        try {
          form.back_color = convert::to_int32(typed_value(member(MemberId::BackColor), v, cx));
        } catch (const Error& e) {
          cx.fail(e.description(), e.number());
        }
      } else if (k == "Font")
        form.font = parse_font(v, cx);
      else
        unknown(cx, "form attribute", k, kFormKeys);
    });
  }
  cx.key.clear();
  each_member(doc, [&](std::string_view k, const auto&) {
    if (k != "Form" && k != "Controls") {
      cx.key = k;
      unknown(cx, "section", k, kSections);
    }
  });
  if (const auto controls = member(doc, "Controls")) {
    cx.key = "Controls";
    if (!controls->IsArray()) cx.fail("expected an array of controls");
    if (controls->Size() > kMaxControls) cx.fail("too many controls");
    cx.key.clear();
    form.controls.reserve(controls->Size());
    std::size_t index = 0;
    each_element(*controls, [&](const auto& c) {
      cx.control = "#" + std::to_string(++index);
      form.controls.push_back(parse_control(c, cx));
    });
    // Enter and Escape each work one button.
    const Control* first_default = nullptr;
    const Control* first_cancel = nullptr;
    for (std::size_t i = 0; i < form.controls.size(); ++i) {
      const Control& c = form.controls[i];
      cx.control = c.name.empty() ? "#" + std::to_string(i + 1) : c.name;
      for (auto [flag, first, key] : {std::tuple{c.is_default, &first_default, "Default"},
                                      std::tuple{c.is_cancel, &first_cancel, "Cancel"}}) {
        if (!flag) continue;
        cx.key = key;
        if (*first)
          cx.fail(std::string("a form has at most one ") + key + " button, and control \"" +
                  escaped((*first)->name) + "\" is one already");
        *first = &c;
      }
    }
  }
  return form;
}

Properties properties_of(const json& doc, Context& cx) {
  Properties out;
  each_member(doc, [&](std::string_view k, const auto& v) {
    cx.key = k;
    out.emplace_back(std::string(k), parse_value(v, cx));
  });
  return out;
}

}  // namespace

Form parse(const std::string& text, const std::string& folder, const std::string& name) {
  Context cx{name, folder, "", ""};
  Document doc;
  parse_object(text, cx, "expected a JSON object with \"Form\" and \"Controls\"", doc);
  return form_of(doc.root, cx);
}

Properties parse_properties(const std::string& text, const std::string& folder,
                            const std::string& name) {
  Context cx{name, folder, "", ""};
  Document doc;
  parse_object(text, cx, "expected a JSON object of saved properties", doc);
  return properties_of(doc.root, cx);
}

Form load(const std::string& path) {
  std::error_code ec;
  // A folder opens like a file here and then seems endless; say what it is instead.
  if (fs::is_directory(path, ec))
    throw Error(errors::kPathFileAccess, path + ": is a folder, not a form file");
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
