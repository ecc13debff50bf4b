// The headless rasterizer against the real CreateRoundRectRgn: every pixel of a table of sizes
// and corner sizes, including the degenerate and negative ones, must agree.
#include <vector>

#include "client.h"
#include "host/activex/gdi.h"
#include "shape/region.h"

namespace client {

int roundrect_checks() {
  // Not in the table: shapes whose corner ellipse, once clamped, is far narrower than tall
  // (3 x 5 with a large corner gives 2 x 4). There gdi32's walk stops before it has written the
  // last rows of its region, which then hold whatever the memory held: two calls with the same
  // arguments can differ, so no rasterizer can match them.
  const std::pair<int, int> sizes[] = {{197, 57}, {57, 197}, {10, 10}, {1, 1},     {2, 2}, {5, 3},
                                       {4, 4},    {40, 21},  {21, 40}, {100, 100}, {0, 8}, {8, 0}};
  const int corners[] = {0, 1, 2, 3, 4, 5, 20, 57, 200, -5, -20};
  int cases = 0;
  for (const auto& [w, h] : sizes) {
    for (int r : corners) {
      for (bool round : {true, false}) {
        if (!round && r != 0) continue;
        ++cases;
        const auto desc = round ? brelund::shape::round_rect_region(0, 0, w, h, r, r)
                                : brelund::shape::rect_region(0, 0, w, h);
        brelund::ax::Region real(round ? CreateRoundRectRgn(0, 0, w, h, r, r)
                                       : CreateRectRgn(0, 0, w, h));
        std::vector<char> ours(static_cast<std::size_t>(w + 4) * (h + 4), 0);
        for (const auto& s : brelund::shape::rasterize(desc))
          for (int x = s.left; x < s.right; ++x)
            if (s.y >= -2 && s.y < h + 2 && x >= -2 && x < w + 2)
              ours[(s.y + 2) * (w + 4) + x + 2] = 1;
        int mismatches = 0, fx = 0, fy = 0, fwin = 0;
        for (int y = -2; y < h + 2; ++y)
          for (int x = -2; x < w + 2; ++x) {
            const bool theirs = PtInRegion(real.get(), x, y) != 0;
            if (theirs != (ours[(y + 2) * (w + 4) + x + 2] != 0)) {
              if (mismatches++ == 0) fx = x, fy = y, fwin = theirs;
            }
          }
        char detail[160];
        std::snprintf(detail, sizeof detail,
                      "%dx%d r=%d %s: %d pixels differ, first (%d,%d) gdi32=%d", w, h, r,
                      round ? "round" : "rect", mismatches, fx, fy, fwin);
        check(mismatches == 0, "rasterizer agrees with gdi32", detail);
      }
    }
  }
  std::printf("%d shapes compared\n", cases);
  return 0;
}

}  // namespace client
