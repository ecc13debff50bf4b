// How large a container may make the control. Every pixel of the control is held several times
// over (the face, its shape mask, the picture and caption composed over it), so a side is
// capped: at kMaxSidePixels a single buffer is 64 MB (4096 x 4096 x 4 bytes), the most any
// one call allocates for the control's size, and the whole control stays within a few of them.
#pragma once

#include <windows.h>

namespace brelund::ax {

inline constexpr long long kMaxSidePixels = 4096;
// The same cap in the HIMETRIC units of SetExtent, at `dpi` logical pixels per inch: what a
// container asks for the largest side, rounded to nearest as it rounds (108373 at 96, 72249 at
// 144).
inline constexpr long long max_side_himetric(int dpi) noexcept {
  const long long d = dpi > 0 ? dpi : 96;
  return (kMaxSidePixels * 2540 * 2 + d) / (2 * d);
}

inline bool extent_fits(long long width, long long height, long long max) noexcept {
  return width >= 0 && height >= 0 && width <= max && height <= max;
}

// E_INVALIDARG, with an error object that names the size refused and the range allowed.
HRESULT refuse_extent(long long width, long long height, long long max, const char* unit) noexcept;

}  // namespace brelund::ax
