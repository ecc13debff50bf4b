#include "shape/region.h"

#include <cmath>

namespace brelund::shape {

Region scaled(const Region& region, double ratio) {
  const auto at = [ratio](int v) { return static_cast<int>(std::lround(v * ratio)); };
  Region big = region;
  big.left = at(region.left);
  big.top = at(region.top);
  big.right = at(region.right);
  big.bottom = at(region.bottom);
  big.ellipse_width = at(region.ellipse_width);
  big.ellipse_height = at(region.ellipse_height);
  return big;
}

std::vector<Span> rasterize(const Region& r) {
  std::vector<Span> out;
  for_each_span(r, [&](int y, int l, int rr) {
    if (l < rr) out.push_back({y, l, rr});
  });
  return out;
}

}  // namespace brelund::shape
