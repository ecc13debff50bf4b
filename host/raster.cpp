#include "host/raster.h"

#include <algorithm>
#include <cmath>

namespace brelund {

void Raster::resize(int w, int h, std::uint32_t fill) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

void Raster::fill_span(int y, int x0, int x1, std::uint32_t argb) noexcept {
  if (y < 0 || y >= height) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, width);
  if (x0 < x1) std::fill(row(y) + x0, row(y) + x1, argb);
}

int pixels_of_twips(float twips) {
  const double r = std::nearbyint(static_cast<double>(twips));
  if (!(r > 0)) return 0;
  // A sane ceiling keeps a hostile size from asking for gigabytes of pixels.
  constexpr double kMax = 16384.0 * 15;
  return static_cast<int>(std::min(r, kMax)) / 15;
}

}  // namespace brelund
