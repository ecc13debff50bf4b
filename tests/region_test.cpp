#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "shape/region.h"

namespace brelund::shape {
namespace {

// Row -> [left, right) of a region that has at most one span per row.
std::map<int, std::pair<int, int>> rows_of(const Region& r) {
  std::map<int, std::pair<int, int>> out;
  for (const Span& s : rasterize(r)) {
    EXPECT_FALSE(out.count(s.y)) << "two spans on row " << s.y;
    out[s.y] = {s.left, s.right};
  }
  return out;
}

TEST(Region, RectangleExcludesRightAndBottomEdges) {
  const auto rows = rows_of(rect_region(0, 0, 5, 3));
  ASSERT_EQ(rows.size(), 3u);
  for (const auto& [y, span] : rows) EXPECT_EQ(span, (std::pair{0, 5}));
  EXPECT_TRUE(rasterize(rect_region(0, 0, 0, 10)).empty());
  EXPECT_EQ(rows_of(rect_region(5, 3, 0, 0)).size(), 3u);  // corners in either order
}

TEST(Region, TinyEllipsesGiveTheRoundRectanglesSmallerRectangle) {
  // The platform's round rectangle covers one column and one row less than the plain one.
  for (int e : {0, 1, -1}) {
    const auto rows = rows_of(round_rect_region(0, 0, 10, 6, e, e));
    ASSERT_EQ(rows.size(), 5u) << e;
    for (const auto& [y, span] : rows) EXPECT_EQ(span, (std::pair{0, 9})) << e;
  }
}

TEST(Region, RoundedCornersAreSymmetricAndCutAway) {
  const auto rows = rows_of(round_rect_region(0, 0, 197, 57, 20, 20));
  ASSERT_EQ(rows.size(), 56u);
  EXPECT_GT(rows.at(0).first, 0);  // the corner is cut away
  EXPECT_EQ(rows.at(28).first, 0);
  EXPECT_EQ(rows.at(28).second, 196);
  for (int y = 0; y < 56; ++y) {
    const auto [l, r] = rows.at(y);
    EXPECT_EQ(l, 196 - r) << "row " << y;                // left/right mirror
    EXPECT_EQ(rows.at(55 - y).first, l) << "row " << y;  // top/bottom mirror
    if (y > 0 && y <= 10) {
      EXPECT_LE(l, rows.at(y - 1).first);  // insets shrink toward the middle
    }
  }
}

TEST(Region, EllipseLargerThanTheButtonIsClampedNotRejected) {
  const auto huge = rows_of(round_rect_region(0, 0, 40, 20, 2000, 2000));
  const auto exact = rows_of(round_rect_region(0, 0, 40, 20, 39, 19));
  EXPECT_EQ(huge, exact);
  EXPECT_EQ(rows_of(round_rect_region(0, 0, 40, 20, -12, -12)),
            rows_of(round_rect_region(0, 0, 40, 20, 12, 12)));
  // The most negative size has no positive counterpart: the platform's abs() leaves it
  // negative, which gives the square corners of a tiny ellipse (and no overflow here).
  EXPECT_EQ(rows_of(round_rect_region(0, 0, 40, 20, INT32_MIN, INT32_MIN)),
            rows_of(round_rect_region(0, 0, 40, 20, 0, 0)));
  // Large ellipses on large buttons take the heap path and still give one span per row.
  EXPECT_EQ(rows_of(round_rect_region(0, 0, 3000, 2000, 1500, 1500)).size(), 1999u);
}

}  // namespace
}  // namespace brelund::shape
