// Colour arithmetic of the face: resolving system colours, splitting RGB values into components
// and composing them again. Components may run above 255 while the painter steps them; only RGB
// clamps, and only from above.
#pragma once

#include <cstdint>

#include "brelund/values.h"

namespace brelund {
namespace host {
class Platform;
}

// A system-colour reference (below -1) resolves through its low byte; everything else, -1
// included, passes unchanged.
std::int32_t SysColorToRgb(host::Platform& platform, OleColor color);

// Red, green and blue by truncating division, so that -1 splits into red 255 alone.
constexpr Colores SplitColor(std::int32_t color) noexcept {
  return {color & 255, (color / 256) & 255, (color / 65536) & 255};
}

constexpr std::int16_t FloorAtZero(std::int16_t value) noexcept { return value < 0 ? 0 : value; }

// The name in parentheses is never taken for the platform's RGB macro (windows.h has one), so
// Windows code may include both.
constexpr std::int32_t(RGB)(std::int16_t red, std::int16_t green, std::int16_t blue) noexcept {
  auto clamp = [](std::int16_t c) -> std::int32_t { return c > 255 ? 255 : c; };
  return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

}  // namespace brelund
