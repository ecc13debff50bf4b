// The mask held as runs against the picture it stands for: the runs of a filled shape must be
// the black pixels the shape's spans paint on a white image of that size, the picture made of
// them those very pixels, and a mask read back from pixels the same runs again.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "brelund/mask.h"
#include "host/common/mask_image.h"
#include "shape/region.h"

namespace brelund {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;
using MaskRun = MaskShape::Run;

// A white w x h image with every span of the shapes painted black, cut to the image.
std::vector<std::uint32_t> painted(int w, int h, std::initializer_list<shape::Region> shapes) {
  std::vector<std::uint32_t> px(static_cast<std::size_t>(w) * h, kWhite);
  for (const shape::Region& r : shapes)
    for (const shape::Span& s : shape::rasterize(r))
      if (s.y >= 0 && s.y < h)
        for (int x = std::max(s.left, 0); x < std::min(s.right, w); ++x) px[s.y * w + x] = kBlack;
  return px;
}

MaskRef filled(int w, int h, std::initializer_list<shape::Region> shapes) {
  MaskImage m;
  m.set_width(static_cast<float>(w * 15));
  m.set_height(static_cast<float>(h * 15));
  m.clear();
  for (const shape::Region& r : shapes) m.fill_black(r);
  return m.image();
}

// Each run and each opaque_at answer against the pixels, and the picture is the pixels.
void expect_matches(const MaskShape& mask, const std::vector<std::uint32_t>& px, int w, int h) {
  ASSERT_EQ(mask.width(), w);
  ASSERT_EQ(mask.height(), h);
  const PictureRef p = mask.picture();
  EXPECT_EQ(p->width, w);
  EXPECT_EQ(p->height, h);
  EXPECT_EQ(p->handle, mask.handle());
  EXPECT_EQ(p->pixels, px);
  long long black = 0;
  for (int y = -1; y <= h; ++y)
    for (int x = -1; x <= w; ++x) {
      const bool inside = x >= 0 && y >= 0 && x < w && y < h;
      const bool dark = inside && px[y * w + x] == kBlack;
      black += dark;
      ASSERT_EQ(mask.opaque_at(x, y), dark) << x << "," << y << " of " << w << "x" << h;
    }
  EXPECT_EQ(mask.area(), black);
  EXPECT_EQ(*MaskShape::of_pixels(w, h, px.data()), mask);
}

TEST(MaskShape, RunsOfTheControlsShapesArePixelsTheSpansPaint) {
  const int sizes[][2] = {{197, 57}, {1, 1}, {2, 2}, {3, 70}, {90, 3}, {33, 33}, {64, 1}};
  for (const auto& [w, h] : sizes)
    for (int round : {0, 1, 2, 3, 20, 57, 400, -7, INT_MIN, INT_MAX}) {
      const shape::Region rounded = shape::round_rect_region(0, 0, w, h, round, round);
      SCOPED_TRACE(testing::Message() << w << "x" << h << " round " << round);
      expect_matches(*filled(w, h, {rounded}), painted(w, h, {rounded}), w, h);
    }
  const shape::Region plain = shape::rect_region(0, 0, 197, 57);
  const MaskRef rect = filled(197, 57, {plain});
  expect_matches(*rect, painted(197, 57, {plain}), 197, 57);
  EXPECT_EQ(rect->area(), 197 * 57);
  // Square corners are the rectangle less its last row and column, as the platform makes them.
  const MaskRef square = filled(197, 57, {shape::round_rect_region(0, 0, 197, 57, 0, 0)});
  EXPECT_EQ(square->area(), 196 * 56);
  EXPECT_EQ(square->row(0).size(), 1u);
  EXPECT_EQ(square->row(0)[0], (MaskRun{0, 196}));
  EXPECT_TRUE(square->row(56).empty());
}

// A box of no pixels holds no image but keeps the extent it was given; its picture, too.
TEST(MaskShape, EmptyBoxesHoldNoImage) {
  for (const auto& [w, h] : {std::pair{0, 0}, std::pair{0, 57}, std::pair{197, 0}}) {
    const MaskRef m = filled(w, h, {shape::rect_region(0, 0, 197, 57)});
    EXPECT_EQ(m->width(), w);
    EXPECT_EQ(m->height(), h);
    EXPECT_EQ(m->handle(), 0u);
    EXPECT_TRUE(m->empty());
    EXPECT_FALSE(m->opaque_at(0, 0));
    const PictureRef p = m->picture();
    EXPECT_EQ(p->handle, 0u);
    EXPECT_EQ(p->width, w);
    EXPECT_EQ(p->height, h);
    EXPECT_TRUE(p->pixels.empty());
  }
  const MaskRef none = MaskShape::blank(-3, 5);
  EXPECT_EQ(none->width(), 0);
  EXPECT_EQ(none->handle(), 0u);
}

// The largest box the control makes: its runs cost bytes per row, not per pixel. The picture is
// not made here (a gigabyte); the runs are checked against the spans themselves.
TEST(MaskShape, HugeBoxesCostTheirRowsOnly) {
  constexpr int kSide = 16384;
  const shape::Region rounded = shape::round_rect_region(0, 0, kSide, kSide, 5000, 300);
  const MaskRef m = filled(kSide, kSide, {rounded});
  std::vector<MaskRun> want(kSide);
  for (const shape::Span& s : shape::rasterize(rounded)) want[s.y] = {s.left, s.right};
  for (int y = 0; y < kSide; ++y) {
    const auto row = m->row(y);
    if (want[y].right == 0) {
      ASSERT_TRUE(row.empty()) << y;
    } else {
      ASSERT_EQ(row.size(), 1u) << y;
      ASSERT_EQ(row[0], want[y]) << y;
      ASSERT_TRUE(m->opaque_at(want[y].left, y));
      ASSERT_FALSE(m->opaque_at(want[y].right, y));
    }
  }
  EXPECT_LT(m->bytes(), 16u * (kSide + 1) + 1024u);
}

// A second fill after the clear paints over the first: the union, rows in order, runs that
// meet or overlap merged into one, as the pixels read them.
TEST(MaskShape, SecondFillGivesTheUnion) {
  const shape::Region left = shape::rect_region(0, 2, 5, 6);
  const shape::Region touching = shape::rect_region(5, 0, 8, 4);  // meets `left` at x = 5
  const shape::Region apart = shape::round_rect_region(10, 1, 20, 9, 6, 6);
  const shape::Region over = shape::rect_region(-4, 5, 12, 7);  // sticks out on the left
  const MaskRef m = filled(18, 8, {apart, left, touching, over});
  expect_matches(*m, painted(18, 8, {apart, left, touching, over}), 18, 8);
  EXPECT_EQ(std::vector<MaskRun>(m->row(2).begin(), m->row(2).end()),
            (std::vector<MaskRun>{{0, 8}, {11, 18}}));
  EXPECT_EQ(std::vector<MaskRun>(m->row(5).begin(), m->row(5).end()),
            (std::vector<MaskRun>{{0, 18}}));
  std::vector<std::pair<int, int>> seen;
  m->for_each_run([&](int y, int from, int) { seen.emplace_back(y, from); });
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

// Runs given in any order, overlapping, touching or outside the box come out in order, merged
// and cut; equal pixels make equal masks whatever the order, and the handle tells values apart.
TEST(MaskShape, BuilderOrdersMergesAndCuts) {
  MaskShape::Builder a(10, 3);
  a.add(2, 6, 9);
  a.add(0, 4, 6);
  a.add(0, 0, 2);
  a.add(0, 2, 3);   // meets 0..2
  a.add(0, 5, 12);  // overlaps 4..6, past the right edge
  a.add(3, 0, 10);  // below the box
  a.add(-1, 0, 10);
  a.add(1, 7, 7);  // no pixels
  a.add(1, -5, 1);
  MaskShape::Builder b(10, 3);
  b.add(0, 0, 3);
  b.add(0, 4, 10);
  b.add(1, 0, 1);
  b.add(2, 6, 9);
  const MaskRef ma = a.build(), mb = b.build();
  EXPECT_EQ(*ma, *mb);
  EXPECT_NE(ma->handle(), mb->handle());
  EXPECT_EQ(std::vector<MaskRun>(ma->row(0).begin(), ma->row(0).end()),
            (std::vector<MaskRun>{{0, 3}, {4, 10}}));
  EXPECT_FALSE(ma->opaque_at(3, 0));
  EXPECT_TRUE(ma->opaque_at(9, 0));
  EXPECT_FALSE(ma->opaque_at(10, 0));
  EXPECT_TRUE(ma->row(3).empty());
  EXPECT_TRUE(ma->row(-1).empty());
  // A blank mask is not equal to one of another size, nor to one with a run.
  EXPECT_EQ(*MaskShape::blank(10, 3), *MaskShape::Builder(10, 3).build());
  EXPECT_FALSE(*MaskShape::blank(10, 3) == *MaskShape::blank(10, 4));
  EXPECT_FALSE(*MaskShape::blank(10, 3) == *ma);
}

// Pictures read back: any colour but white is opaque, as the mask colour rule has it, and pixels
// that fall short of the picture's size leave the rest cut away.
TEST(MaskShape, ReadFromAPicture) {
  Picture p;
  p.width = 4;
  p.height = 3;
  p.pixels = {0x00FFFFFFu, 0x00FFFFFEu, 0xFF123456u, kWhite,  // alpha is not looked at
              kBlack,      kBlack,      kBlack,      kBlack,  //
              0xFFFFFFu};                                     // the last row falls short
  const MaskRef m = MaskShape::of_picture(p);
  EXPECT_EQ(m->width(), 4);
  EXPECT_EQ(m->height(), 3);
  EXPECT_EQ(std::vector<MaskRun>(m->row(0).begin(), m->row(0).end()),
            (std::vector<MaskRun>{{1, 3}}));
  EXPECT_EQ(std::vector<MaskRun>(m->row(1).begin(), m->row(1).end()),
            (std::vector<MaskRun>{{0, 4}}));
  EXPECT_TRUE(m->row(2).empty());
  EXPECT_EQ(m->area(), 6);
  EXPECT_TRUE(MaskShape::of_picture(Picture{})->empty());
}

}  // namespace
}  // namespace brelund
