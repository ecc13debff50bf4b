// The ranges a form file's numbers must lie in. The reader refuses anything outside them, and a
// save checks the same ranges first, so that no save writes a file the reader would refuse.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#include "brelund/forms.h"
#include "control/property_table.h"

namespace brelund::forms::detail {

inline bool twips_in_range(double v) noexcept {
  return std::isfinite(v) && v >= -kMaxTwips && v <= kMaxTwips;
}
inline bool font_size_in_range(double v) noexcept { return v > 0 && v <= 2048; }
// A font's Weight and Charset.
inline bool font_number_in_range(long long v) noexcept { return v >= 0 && v <= 1000; }

// The whole numbers a saved Long property may hold. Light is added to and taken from the colour
// components (0 to 255), which the face computes as 16-bit integers: within this range no colour
// overflows (the shading's steps and rounding stay some way inside 16 bits), past it some or all
// do, and the file could not be shown.
inline constexpr long long kMaxLight = 32000;
inline std::pair<long long, long long> property_range(MemberId id) noexcept {
  if (id == MemberId::Light) return {-kMaxLight, kMaxLight};
  return {INT32_MIN, INT32_MAX};
}

// The pointer shapes there are: 0 to 15, and 99 for the control's own MouseIcon.
inline bool is_mouse_pointer(long long v) noexcept { return (v >= 0 && v <= 15) || v == 99; }

// A colour in the control's &H notation: &H, one to eight hexadecimal digits, an optional &.
inline bool is_colour_text(std::string_view t) noexcept {
  if (t.size() < 3 || t[0] != '&' || (t[1] != 'H' && t[1] != 'h')) return false;
  std::size_t end = t.size();
  if (t.back() == '&') --end;
  if (end - 2 < 1 || end - 2 > 8) return false;
  for (std::size_t i = 2; i < end; ++i) {
    const char c = t[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace brelund::forms::detail
