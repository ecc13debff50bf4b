// The ranges a form file's numbers must lie in. The reader refuses anything outside them, and a
// save checks the same ranges first, so that no save writes a file the reader would refuse.
#pragma once

#include <cmath>

#include "brelund/forms.h"

namespace brelund::forms::detail {

inline bool twips_in_range(double v) noexcept {
  return std::isfinite(v) && v >= -kMaxTwips && v <= kMaxTwips;
}
inline bool font_size_in_range(double v) noexcept { return v > 0 && v <= 2048; }
// A font's Weight and Charset.
inline bool font_number_in_range(long long v) noexcept { return v >= 0 && v <= 1000; }

}  // namespace brelund::forms::detail
