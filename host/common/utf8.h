// UTF-8 as every part of the library reads it: strict (no overlong forms, no surrogates, nothing
// above U+10FFFF, no cut sequence), the rule the JSON library holds form files to. A form file
// that breaks it is refused with its line and column; a caption that breaks it is drawn with one
// U+FFFD for each maximal subpart (see scan), and a message shows its bytes as \xHH.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brelund::utf8 {

// How far the sequence at p (end excluded) reads: its length and true when it is well formed;
// otherwise the bytes that could still begin one (at least the first) and false. Those bytes are
// the "maximal subpart" Unicode replaces with one U+FFFD, as browsers, Qt and the JSON library do.
struct Scan {
  std::size_t bytes;
  bool ok;
};
inline Scan scan(const unsigned char* p, const unsigned char* end) noexcept {
  const unsigned c = p[0];
  if (c < 0x80) return {1, true};
  std::size_t n = 0;
  unsigned low = 0x80, high = 0xBF;  // what may follow the first byte
  if (c < 0xC2 || c > 0xF4) return {1, false};
  if (c < 0xE0) {
    n = 2;
  } else if (c < 0xF0) {
    n = 3;
    if (c == 0xE0) low = 0xA0;   // overlong
    if (c == 0xED) high = 0x9F;  // surrogates
  } else {
    n = 4;
    if (c == 0xF0) low = 0x90;   // overlong
    if (c == 0xF4) high = 0x8F;  // past U+10FFFF
  }
  for (std::size_t k = 1; k < n; ++k) {
    if (p + k >= end || p[k] < low || p[k] > high) return {k, false};
    low = 0x80;
    high = 0xBF;
  }
  return {n, true};
}

// The length of the well-formed sequence that starts at p (end excluded), or 0.
inline std::size_t sequence(const unsigned char* p, const unsigned char* end) noexcept {
  const Scan s = scan(p, end);
  return s.ok ? s.bytes : 0;
}

// The same for the text at byte i of s.
inline std::size_t sequence(std::string_view s, std::size_t i) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  return sequence(p + i, p + s.size());
}

// One step of a walk through s from byte i: the character there and the bytes it takes (at
// least one), U+FFFD for the bytes of a sequence that is not well formed.
struct Step {
  char32_t code_point;
  std::size_t bytes;
};
inline Step step(std::string_view s, std::size_t i) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const Scan scanned = scan(p + i, p + s.size());
  if (!scanned.ok) return {U'\uFFFD', scanned.bytes};
  const std::size_t n = scanned.bytes;
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  if (n == 1) return {b(0), 1};
  char32_t cp = b(0) & (0x7Fu >> n);
  for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (b(k) & 0x3Fu);
  return {cp, n};
}

// The characters in the first `bytes` bytes of s, by the steps above.
inline std::size_t characters(std::string_view s, std::size_t bytes) noexcept {
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes && i < s.size(); i += step(s, i).bytes) ++count;
  return count;
}

}  // namespace brelund::utf8
