// The graphics side of the shape: a region described as plain values, and the rasterizer that
// hosts without the Windows region functions use to fill it. The Win32 host builds the real
// region from the same description, so both paths start from identical arguments.
#pragma once

#include <cstdint>
#include <vector>

namespace brelund::shape {

struct Region {
  enum class Kind { rect, round_rect };
  Kind kind = Kind::rect;
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom edges excluded
  int ellipse_width = 0, ellipse_height = 0;     // round_rect only
  friend bool operator==(const Region&, const Region&) = default;
};

inline Region rect_region(int l, int t, int r, int b) {
  return {Region::Kind::rect, l, t, r, b, 0, 0};
}
inline Region round_rect_region(int l, int t, int r, int b, int ew, int eh) {
  return {Region::Kind::round_rect, l, t, r, b, ew, eh};
}

// The same region on a screen with `ratio` device pixels to the logical one: every coordinate
// and corner size scaled and rounded, so that a host cuts the shape in device pixels.
Region scaled(const Region& region, double ratio);

// One horizontal run of a region: pixels [left, right) of row y.
struct Span {
  int y;
  int left;
  int right;
};

// The region as row spans, top to bottom, exactly as the Windows region functions would cover
// pixels for the same arguments (including their quirks: a round rectangle loses its last
// column and row, and ellipses under 2 pixels degrade to that smaller rectangle).
std::vector<Span> rasterize(const Region& r);

// Calls fn(y, left, right) for every span without allocating; the hot path of the mask.
template <class Fn>
void for_each_span(const Region& r, Fn&& fn);

}  // namespace brelund::shape

#include "shape/region_impl.h"
