// Strict UTF-8, as the JSON library reads and writes it: no overlong forms, no surrogates,
// nothing above U+10FFFF. The form file's own reader and writer accept exactly this and leave
// anything else to the library, whose messages name the fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace brelund::utf8 {

// The length of the well-formed sequence that starts at p (end excluded), or 0.
inline std::size_t sequence(const unsigned char* p, const unsigned char* end) noexcept {
  const unsigned c = p[0];
  auto tail = [&](std::size_t i) { return p + i < end && (p[i] & 0xC0u) == 0x80u; };
  if (c < 0x80) return 1;
  if (c < 0xC2) return 0;
  if (c < 0xE0) return tail(1) ? 2 : 0;
  if (c < 0xF0) {
    if (p + 1 >= end) return 0;
    const unsigned c1 = p[1];
    if (c == 0xE0 ? (c1 < 0xA0 || c1 > 0xBF) : c == 0xED ? (c1 < 0x80 || c1 > 0x9F) : !tail(1))
      return 0;
    return tail(2) ? 3 : 0;
  }
  if (c > 0xF4 || p + 1 >= end) return 0;
  const unsigned c1 = p[1];
  if (c == 0xF0 ? (c1 < 0x90 || c1 > 0xBF) : c == 0xF4 ? (c1 < 0x80 || c1 > 0x8F) : !tail(1))
    return 0;
  return tail(2) && tail(3) ? 4 : 0;
}

// Appends code point cp (not a surrogate, at most U+10FFFF) as UTF-8.
inline void append(std::string& out, std::uint32_t cp) {
  const auto byte = [&out](std::uint32_t b) { out.push_back(static_cast<char>(b)); };
  if (cp < 0x80) {
    byte(cp);
  } else if (cp < 0x800) {
    byte(0xC0 | cp >> 6);
    byte(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    byte(0xE0 | cp >> 12);
    byte(0x80 | (cp >> 6 & 0x3F));
    byte(0x80 | (cp & 0x3F));
  } else {
    byte(0xF0 | cp >> 18);
    byte(0x80 | (cp >> 12 & 0x3F));
    byte(0x80 | (cp >> 6 & 0x3F));
    byte(0x80 | (cp & 0x3F));
  }
}

}  // namespace brelund::utf8
