#include "host/common/forms/escape.h"

namespace brelund::forms {

namespace {

// The length of the valid UTF-8 sequence at `s[i]`, or 0.
std::size_t utf8_length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  std::size_t n = 0;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4;
  else
    return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((b(i + k) & 0xC0) != 0x80) return 0;
  // Overlong forms, surrogates and code points past U+10FFFF.
  if (n == 3 && ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) >= 0xA0))) return 0;
  if (n == 4 && ((c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) >= 0x90))) return 0;
  // C1 controls (U+0080..U+009F) act on terminals as ESC sequences do.
  if (n == 2 && c == 0xC2 && b(i + 1) < 0xA0) return 0;
  return n;
}

}  // namespace

std::string escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      if (const std::size_t n = utf8_length(text, i)) {
        out.append(text.substr(i, n));
        i += n;
        continue;
      }
    } else if (c == '\\') {
      out += "\\\\";
      ++i;
      continue;
    } else if (c >= 0x20 && c != 0x7F) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    } else if (c == '\n' || c == '\t' || c == '\r') {
      out += c == '\n' ? "\\n" : c == '\t' ? "\\t" : "\\r";
      ++i;
      continue;
    }
    out += "\\x";
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 15]);
    ++i;
  }
  return out;
}

}  // namespace brelund::forms
