// Twips and pixels, in one place. Everything on the control's surface is measured in twips, 15 to
// the pixel. Two conversions to pixels exist and both are needed: an extent is rounded to whole
// twips and then divided truncating (how the control sizes its mask and every host its surface),
// while a child's position is floored (a caption at 7.5 pixels is drawn from pixel 7).
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "brelund/values.h"

namespace brelund::units {

inline constexpr int kTwipsPerPixel = 15;
// A sane ceiling on any extent: a hostile size must not ask for gigabytes of pixels.
inline constexpr int kMaxPixels = 16384;
inline constexpr float kMaxTwips = static_cast<float>(kMaxPixels * kTwipsPerPixel);

constexpr float twips_of_pixels(double pixels) noexcept {
  return static_cast<float>(pixels * kTwipsPerPixel);
}

// An extent in whole pixels: nearest whole twips (ties to even), divided truncating, clamped to
// [0, kMaxPixels].
inline int extent_pixels(float twips) noexcept {
  const double r = std::nearbyint(static_cast<double>(twips));
  if (!(r > 0)) return 0;
  return static_cast<int>(std::fmin(r, static_cast<double>(kMaxTwips))) / kTwipsPerPixel;
}

// A position in pixels: the pixel the point falls in.
inline int position_pixels(float twips) noexcept {
  return static_cast<int>(std::floor(twips / static_cast<float>(kTwipsPerPixel)));
}

// True where a mask picture keeps the control: anything but white (MaskShape reads pictures so).
constexpr bool mask_opaque(std::uint32_t argb) noexcept { return (argb & 0xFFFFFFu) != 0xFFFFFFu; }

}  // namespace brelund::units
