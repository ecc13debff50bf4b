// More fast paths against the plain ones they stand for: the cleared mask filled in one pass
// against a clear followed by span-by-span painting, rows on a whole-numbered scale against
// single lines at the far ends of the ranges, and the one-instruction conversions against the
// rounding they replace. Any difference here would be a changed pixel or a lost overflow.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "brelund/error.h"
#include "control/numeric.h"
#include "host/common/canvas.h"
#include "host/common/mask_image.h"
#include "shape/region.h"

namespace brelund {
namespace {

// The mask as it was drawn before the one-pass fill: the clear applied on its own (handing the
// image out applies it), then each span painted black over white.
std::vector<std::uint32_t> plain_mask(int w, int h, const shape::Region& region) {
  MaskImage m;
  m.set_width(static_cast<float>(w * 15));
  m.set_height(static_cast<float>(h * 15));
  m.clear();
  m.image();
  m.fill_black(region);
  return m.image()->picture()->pixels;
}

std::vector<std::uint32_t> one_pass_mask(int w, int h, const shape::Region& region) {
  MaskImage m;
  m.set_width(static_cast<float>(w * 15));
  m.set_height(static_cast<float>(h * 15));
  m.fill_black(shape::rect_region(0, 0, w, h));  // old content the clear must wipe
  m.clear();
  m.fill_black(region);
  return m.image()->picture()->pixels;
}

TEST(FastPathsMask, OnePassFillDrawsWhatClearThenSpansDraw) {
  const int sizes[][2] = {{197, 57}, {400, 120}, {1, 1}, {2, 70}, {90, 3}, {33, 33}};
  for (const auto& [w, h] : sizes)
    for (int round : {0, 1, 2, 3, 20, 57, 100, 500})
      for (int shift : {0, -5, 7}) {
        // Shapes that fit, that stick out on any side, and plain rectangles.
        const shape::Region shapes[] = {
            shape::round_rect_region(shift, shift, w + shift, h + shift, round, round),
            shape::round_rect_region(0, 0, w, h, round, round / 2 + 1),
            shape::rect_region(shift, 0, w, h - shift), shape::rect_region(0, 0, 0, 0)};
        for (const shape::Region& r : shapes)
          ASSERT_EQ(one_pass_mask(w, h, r), plain_mask(w, h, r))
              << w << "x" << h << " round " << round << " shift " << shift;
      }
}

// A new mask (or one resized from nothing) is white without being written white: the first fill
// or image() must still see white everywhere outside the spans.
TEST(FastPathsMask, NewMaskIsWhiteWhenFilledOrHandedOut) {
  for (const auto& [w, h] : {std::pair{197, 57}, std::pair{3, 1}, std::pair{40, 90}}) {
    const auto region = shape::round_rect_region(0, 0, w, h, 20, 20);
    MaskImage fresh;
    fresh.set_width(static_cast<float>(w * 15));
    fresh.set_height(static_cast<float>(h * 15));
    EXPECT_EQ(fresh.image()->picture()->pixels, std::vector<std::uint32_t>(w * h, 0xFFFFFFFFu));
    MaskImage filled;
    filled.set_width(static_cast<float>(w * 15));
    filled.set_height(static_cast<float>(h * 15));
    filled.fill_black(region);  // no clear: the new area is white already
    EXPECT_EQ(filled.image()->picture()->pixels, plain_mask(w, h, region)) << w << "x" << h;
    // Shrunk to nothing and grown again: nothing is kept, and it is white once more.
    filled.set_width(0);
    filled.set_width(static_cast<float>(w * 15));
    EXPECT_EQ(filled.image()->picture()->pixels, std::vector<std::uint32_t>(w * h, 0xFFFFFFFFu));
  }
}

// A rebuild that draws the shape the image already holds keeps the image. Random runs of
// resizes, clears, fills with and without a clear, and masks kept or dropped by a surface and
// by others, each checked against the same steps done on plain pixels: an image kept where a
// fill was needed, or a mask someone holds that changed, shows up here.
TEST(FastPathsMask, KeptShapesMatchTheStepsDoneOnPlainPixels) {
  std::mt19937 rng(7);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  const int widths[] = {12, 13, 30}, heights[] = {9, 12};
  for (int run = 0; run < 300; ++run) {
    MaskImage m;
    MaskRef shown;  // as the surface keeps it
    std::vector<std::pair<MaskRef, std::vector<std::uint32_t>>> held;
    int w = 0, h = 0;
    std::vector<std::uint32_t> want;
    bool cleared = false;  // a clear waits for the next fill or hand-out
    auto apply_clear = [&] {
      if (cleared) want.assign(want.size(), 0xFFFFFFFFu);
      cleared = false;
    };
    for (int step = 0; step < 40; ++step) {
      switch (pick(6)) {
        case 0: {  // a new size on either axis; what still fits is kept, the rest is white
          const bool across = pick(2) == 0;
          const int nw = across ? widths[pick(3)] : w, nh = across ? h : heights[pick(2)];
          if (nw != w || nh != h) apply_clear();
          std::vector<std::uint32_t> next(static_cast<std::size_t>(nw) * nh, 0xFFFFFFFFu);
          for (int y = 0; y < std::min(h, nh); ++y)
            for (int x = 0; x < std::min(w, nw); ++x) next[y * nw + x] = want[y * w + x];
          if (across)
            m.set_width(static_cast<float>(nw * 15));
          else
            m.set_height(static_cast<float>(nh * 15));
          w = nw, h = nh;
          want = std::move(next);
          break;
        }
        case 1:
        case 2: {  // a rebuild: clear and fill one of a few shapes, mostly the last one
          m.clear();
          cleared = true;
          [[fallthrough]];
        }
        case 3: {  // a fill without a clear paints over what is there
          // The control's shape follows the size; fixed ones stick out of the smaller sizes.
          const int r = pick(3) * 4;
          const shape::Region shapes[] = {shape::round_rect_region(0, 0, w, h, r, r),
                                          shape::rect_region(1, 0, 30, 12),
                                          shape::round_rect_region(0, 0, 30, 12, 8, 8)};
          const shape::Region region = shapes[pick(4) % 3];
          m.fill_black(region);
          apply_clear();
          for (const shape::Span& s : shape::rasterize(region))
            for (int x = std::max(s.left, 0); x < std::min(s.right, w); ++x)
              if (s.y >= 0 && s.y < h) want[s.y * w + x] = 0xFF000000u;
          break;
        }
        case 4:  // the surface takes the image
          apply_clear();
          shown = m.image();
          ASSERT_EQ(shown->picture()->pixels, want) << "run " << run << " step " << step;
          break;
        case 5:  // someone else keeps a picture, or lets one go
          if (!held.empty() && pick(2) == 0) {
            held.erase(held.begin() + pick(static_cast<int>(held.size())));
          } else {
            apply_clear();
            MaskRef p = m.image();
            held.emplace_back(p, want);
          }
          break;
      }
    }
    apply_clear();
    ASSERT_EQ(m.image()->picture()->pixels, want) << "run " << run;
    for (const auto& [mask, pixels] : held)
      ASSERT_EQ(mask->picture()->pixels, pixels) << "a held mask changed, run " << run;
  }
}

using Row = host::Surface::Row;

// Whole-numbered rows far beyond the raster, on both sides of the exactness bounds, and scales
// that do and do not take the division-free mapping.
TEST(FastPathsMask, WholeRowsMapAsSingleLinesDoAtTheEdges) {
  const float ys[] = {0,
                      1,
                      -1,
                      85,
                      86,
                      87,
                      -86,
                      1e6f,
                      -1e6f,
                      16777215,
                      16777216,
                      -16777216,
                      16777218,
                      -16777218,
                      3e9f,
                      -3e9f,
                      0.5f,
                      -0.5f,
                      std::numeric_limits<float>::infinity(),
                      std::nanf("")};
  const float scales[] = {1, 86, 1080, 7, 16777216, 16777218, 2.5f, -86};
  for (int height : {1, 57, 1080})
    for (float scale : scales) {
      Canvas lines, batched;
      for (Canvas* c : {&lines, &batched}) {
        c->resize(15 * 13, static_cast<float>(15 * height));
        c->set_scale_height(scale);
        c->set_scale_width(1);
      }
      std::vector<Row> rows;
      OleColor colour = 1;
      for (float y : ys)
        // Steps of one unit down and up, as the face draws its bands, and jumps.
        for (float d : {0.0f, 1.0f, 2.0f, 1.0f, 0.0f, -1.0f, 2.0f})
          rows.push_back({y + d, colour++ * 0x010305});
      for (const Row& r : rows) lines.line(0, r.y, 1, r.y, r.rgb);
      batched.rows(rows.data(), static_cast<int>(rows.size()));
      ASSERT_EQ(lines.raster().pixels, batched.raster().pixels)
          << "height " << height << " scale " << scale;
    }
}

// The conversions as written before: round half to even by the 2^52 sum, then the range test.
template <class Int>
bool reference(double v, Int& out) {
  if (std::isnan(v)) return false;
  const double r = num::round_half_even(v);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    return false;
  out = static_cast<Int>(r);
  return true;
}

template <class Int>
void expect_same(double v, Int (*convert)(double)) {
  Int want{};
  const bool ok = reference<Int>(v, want);
  try {
    const Int got = convert(v);
    EXPECT_TRUE(ok) << v << " converted to " << got << " instead of overflowing";
    EXPECT_EQ(got, want) << v;
  } catch (const Error& e) {
    EXPECT_FALSE(ok) << v << " overflowed instead of giving " << want;
    EXPECT_EQ(e.number(), errors::kOverflow);
  }
}

TEST(FastPathsMask, ConversionsRoundAndOverflowAsBefore) {
  std::vector<double> values = {0.0,
                                -0.0,
                                0.5,
                                1.5,
                                2.5,
                                -0.5,
                                -1.5,
                                -2.5,
                                32766.5,
                                32767.49,
                                32767.5,
                                -32768.5,
                                -32768.51,
                                2147483646.5,
                                2147483647.5,
                                -2147483648.5,
                                -2147483649.0,
                                9.3e18,
                                -9.3e18,
                                1e300,
                                -1e300,
                                std::numeric_limits<double>::infinity(),
                                -std::numeric_limits<double>::infinity(),
                                std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::denorm_min(),
                                0x1p52 + 1,
                                0x1p63};
  std::mt19937_64 rng(16);
  std::uniform_real_distribution<double> small(-40000, 40000), wide(-3e9, 3e9);
  for (int i = 0; i < 20000; ++i) {
    values.push_back(small(rng));
    values.push_back(wide(rng));
    values.push_back(std::floor(small(rng)) + 0.5);  // ties
  }
  for (double v : values) {
    expect_same<std::int16_t>(v, num::to_i16);
    expect_same<std::int32_t>(v, num::to_i32);
  }
}

}  // namespace
}  // namespace brelund
