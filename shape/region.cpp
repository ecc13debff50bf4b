#include "shape/region.h"

namespace brelund::shape {

std::vector<Span> rasterize(const Region& r) {
  std::vector<Span> out;
  for_each_span(r, [&](int y, int l, int rr) {
    if (l < rr) out.push_back({y, l, rr});
  });
  return out;
}

}  // namespace brelund::shape
