// A plain 32-bit pixel image (0xAARRGGBB): the retained drawing of every host's surface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "brelund/values.h"

namespace brelund {

struct Raster {
  int width = 0;
  int height = 0;
  Pixels pixels;  // new pixels are unset until written: resize() fills them

  void resize(int w, int h, std::uint32_t fill);
  std::uint32_t* row(int y) noexcept { return pixels.data() + static_cast<std::size_t>(y) * width; }
  const std::uint32_t* row(int y) const noexcept {
    return pixels.data() + static_cast<std::size_t>(y) * width;
  }
  // Fills [x0, x1) of row y, clipped.
  void fill_span(int y, int x0, int x1, std::uint32_t argb) noexcept;
};

// Fills n pixels with one value, 16 bytes at a time where the processor allows: the one loop
// that every face, mask and clear spends its time in.
void fill_pixels(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept;

// Draws w x h straight-alpha ARGB pixels over dst with their top-left corner at (x0, y0),
// blending by alpha and clipped: how every host puts a picture over the face.
void blend(Raster& dst, const std::uint32_t* src, int w, int h, int x0, int y0) noexcept;
inline void blend(Raster& dst, const Raster& src, int x0, int y0) noexcept {
  blend(dst, src.pixels.data(), src.width, src.height, x0, y0);
}

// OLE RGB (red in the low byte) to opaque ARGB and back.
constexpr std::uint32_t argb_of_rgb(std::int32_t rgb) noexcept {
  const auto v = static_cast<std::uint32_t>(rgb);
  return 0xFF000000u | ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}
constexpr std::int32_t rgb_of_argb(std::uint32_t argb) noexcept {
  return static_cast<std::int32_t>(((argb >> 16) & 0xFFu) | (argb & 0xFF00u) |
                                   ((argb & 0xFFu) << 16));
}

}  // namespace brelund
