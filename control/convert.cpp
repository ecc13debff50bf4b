#include "control/convert.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "control/number_text.h"
#include "control/numeric.h"

namespace brelund::convert {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace

bool iequals(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  // ASCII letters fold here, in line: std::tolower is a call per character, and it would fold
  // by the process's locale, where names fold by ASCII.
  auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c | 0x20u : c; };
  for (std::size_t i = 0; i < a.size(); ++i)
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

namespace {

std::optional<double> parse_radix(std::string_view digits, int base) {
  bool force_long = false;
  if (!digits.empty() && digits.back() == '&') {
    force_long = true;
    digits.remove_suffix(1);
  }
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (value > 0xFFFFFFFFu) errors::overflow();
  // Like the literals of the control's language: a value that fits 16 bits is an Integer and
  // takes its sign from bit 15, a longer one is a Long with the sign of bit 31.
  if (!force_long && value <= 0xFFFF) return static_cast<double>(static_cast<std::int16_t>(value));
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

double number_of(const Variant& v) {
  struct Visitor {
    double operator()(std::monostate) const { return 0; }
    double operator()(bool b) const { return b ? -1 : 0; }
    double operator()(std::int16_t i) const { return i; }
    double operator()(std::int32_t i) const { return i; }
    double operator()(double d) const { return d; }
    double operator()(const std::string& s) const {
      if (auto d = parse_number(s)) return *d;
      errors::type_mismatch();
    }
    double operator()(Nothing) const { errors::type_mismatch(); }
    double operator()(const FontRef&) const { errors::type_mismatch(); }
    double operator()(const PictureRef&) const { errors::type_mismatch(); }
  };
  return std::visit(Visitor{}, v);
}

}  // namespace

std::optional<double> parse_number(std::string_view text) {
  text = trim(text);
  if (text.size() > 2 && text[0] == '&') {
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(text[1])));
    if (kind == 'H') return parse_radix(text.substr(2), 16);
    if (kind == 'O') return parse_radix(text.substr(2), 8);
    return std::nullopt;
  }
  if (text.empty() || text.size() > 64) return std::nullopt;
  // strtod accepts more than a plain number (hex floats, "inf", "nan"); refuse those first.
  for (char ch : text)
    if (!(std::isdigit(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-' || ch == '.' ||
          ch == 'e' || ch == 'E'))
      return std::nullopt;
  return num::decimal(std::string(text));
}

std::string to_string(const Variant& v) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(std::int16_t i) const { return std::to_string(i); }
    std::string operator()(std::int32_t i) const { return std::to_string(i); }
    std::string operator()(double d) const { return num::g15(d); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(Nothing) const { errors::type_mismatch(); }
    std::string operator()(const FontRef&) const { errors::type_mismatch(); }
    std::string operator()(const PictureRef&) const { errors::type_mismatch(); }
  };
  return std::visit(Visitor{}, v);
}

Bool16 to_bool(const Variant& v) {
  if (const auto* s = std::get_if<std::string>(&v)) {
    const std::string_view t = trim(*s);
    if (iequals(t, "True")) return kTrue;
    if (iequals(t, "False")) return kFalse;
  }
  const double d = number_of(v);
  return to_bool16(d != 0);
}

std::int16_t to_int16(const Variant& v) { return num::to_i16(number_of(v)); }
std::int32_t to_int32(const Variant& v) { return num::to_i32(number_of(v)); }

FontRef to_font(const Variant& v) {
  if (const auto* f = std::get_if<FontRef>(&v); f && *f) return *f;
  errors::type_mismatch();
}

PictureRef to_picture(const Variant& v) {
  if (const auto* p = std::get_if<PictureRef>(&v)) return *p;
  if (std::holds_alternative<Nothing>(v)) return nullptr;
  errors::type_mismatch();
}

bool same_value(const Variant& a, const Variant& b) {
  auto is_number = [](const Variant& v) {
    return std::holds_alternative<bool>(v) || std::holds_alternative<std::int16_t>(v) ||
           std::holds_alternative<std::int32_t>(v) || std::holds_alternative<double>(v);
  };
  if (is_number(a) && is_number(b)) return number_of(a) == number_of(b);
  auto null_object = [](const Variant& v) {
    if (std::holds_alternative<Nothing>(v)) return true;
    if (const auto* p = std::get_if<PictureRef>(&v)) return *p == nullptr;
    if (const auto* f = std::get_if<FontRef>(&v)) return *f == nullptr;
    return false;
  };
  if (null_object(a) || null_object(b)) return null_object(a) && null_object(b);
  if (const auto* fa = std::get_if<FontRef>(&a)) {
    const auto* fb = std::get_if<FontRef>(&b);
    return fb && **fa == **fb;
  }
  if (const auto* pa = std::get_if<PictureRef>(&a)) {
    const auto* pb = std::get_if<PictureRef>(&b);
    return pb && *pa == *pb;
  }
  return a == b;
}

}  // namespace brelund::convert
