// The canvas makes its pixels only when they are read. These tests hold it to what drawing every
// line at once would leave: a canvas read after each step against one read only now and then,
// and the cases a resize brings (content kept where it still fits, black where it does not).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "brelund/boton.h"
#include "brelund/headless/button.h"
#include "brelund/raster.h"
#include "host/common/canvas.h"

namespace brelund {
namespace {

using Row = host::Surface::Row;
constexpr std::uint32_t kBlack = 0xFF000000u;

std::uint32_t at(const Canvas& c, int x, int y) { return c.raster().row(y)[x]; }

// A face-like batch: rows 0 to n in a scale of n units, each its own colour, covering every pixel
// row when there are at least as many rows as pixel rows.
void face_rows(Canvas& c, int n, OleColor first) {
  c.set_scale_height(static_cast<float>(n));
  c.set_scale_width(1);
  std::vector<Row> rows;
  for (int y = 0; y <= n; ++y) rows.push_back({static_cast<float>(y), first + y, 1, 1});
  c.rows(rows.data(), static_cast<int>(rows.size()));
}

// Sets every pixel to its own colour through single spans, so that any lost or moved pixel shows.
void paint_distinct(Canvas& c, int w, int h) {
  c.set_scale_width(static_cast<float>(w));
  c.set_scale_height(static_cast<float>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      c.line(static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + 1),
             static_cast<float>(y), 0x10000 * x + 0x100 * y + 1);
}

std::uint32_t distinct(int x, int y) { return argb_of_rgb(0x10000 * x + 0x100 * y + 1); }

TEST(LazyCanvas, ResizeWithoutRepaintKeepsWhatFitsAndIsBlackElsewhere) {
  for (bool read_before : {false, true}) {
    Canvas c;
    c.resize(10 * 15, 6 * 15);
    paint_distinct(c, 10, 6);
    if (read_before) {
      ASSERT_EQ(at(c, 9, 5), distinct(9, 5));
    }
    c.resize(14 * 15, 8 * 15);
    EXPECT_EQ(c.width(), 14);
    EXPECT_EQ(c.height(), 8);
    const Raster& r = c.raster();
    ASSERT_EQ(r.width, 14);
    ASSERT_EQ(r.height, 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 14; ++x)
        ASSERT_EQ(r.row(y)[x], x < 10 && y < 6 ? distinct(x, y) : kBlack)
            << "(" << x << ", " << y << ") read before: " << read_before;
  }
}

TEST(LazyCanvas, ShrinkThenGrowLosesWhatWasCutOff) {
  // Read in between or not, the pixels outside the smaller size are gone for good; and growing
  // back to the very size the pixels already have must still blacken them.
  for (int read_at = 0; read_at < 3; ++read_at) {
    Canvas c;
    c.resize(10 * 15, 6 * 15);
    paint_distinct(c, 10, 6);
    if (read_at == 1) (void)c.raster();
    c.resize(4 * 15, 6 * 15);
    c.resize(10 * 15, 3 * 15);
    if (read_at == 2) {
      ASSERT_EQ(c.raster().width, 10);
    }
    c.resize(10 * 15, 6 * 15);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x)
        ASSERT_EQ(at(c, x, y), x < 4 && y < 3 ? distinct(x, y) : kBlack)
            << "(" << x << ", " << y << ") read at " << read_at;
  }
}

TEST(LazyCanvas, BatchOverEveryPixelHidesWhatCameBefore) {
  Canvas c;
  c.resize(8 * 15, 5 * 15);
  paint_distinct(c, 8, 5);
  c.resize(12 * 15, 9 * 15);  // grown: black below and right, which the face covers too
  face_rows(c, 18, 0x000100);
  c.line(0, 1, 0, 17, 0x0000FF);  // an edge column, held with the batch
  const Raster& r = c.raster();
  ASSERT_EQ(r.width, 12);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      // 18 units over 9 pixel rows: pixel row y is last drawn by row unit 2y + 1.
      // The column runs from pixel row 0 up to, not including, row 8.
      const std::uint32_t want =
          x == 0 && y < 8 ? argb_of_rgb(0x0000FF) : argb_of_rgb(0x000100 + 2 * y + 1);
      ASSERT_EQ(r.row(y)[x], want) << "(" << x << ", " << y << ")";
    }
}

TEST(LazyCanvas, BatchMissingARowOrColumnKeepsWhatShowsThere) {
  // Fewer row units than pixel rows leave gaps; a narrower scale leaves columns. What is under
  // them must come through, from before the resize as much as from after it.
  Canvas c;
  c.resize(6 * 15, 8 * 15);
  paint_distinct(c, 6, 8);
  face_rows(c, 3, 0x000100);  // rows land on pixel rows 0, 2, 5 and off the bottom
  const Raster& r = c.raster();
  for (int y = 0; y < 8; ++y) {
    const bool drawn = y == 0 || y == 2 || y == 5;
    for (int x = 0; x < 6; ++x)
      ASSERT_EQ(r.row(y)[x], drawn ? argb_of_rgb(0x000100 + (y == 0   ? 0
                                                             : y == 2 ? 1
                                                                      : 2))
                                   : distinct(x, y))
          << "(" << x << ", " << y << ")";
  }
  Canvas narrow;
  narrow.resize(6 * 15, 4 * 15);
  paint_distinct(narrow, 6, 4);
  face_rows(narrow, 8, 0x000100);
  narrow.set_scale_width(2);  // the next batch's rows span half the width
  std::vector<Row> rows{{0, 0x00AA00, 9, 1}};
  narrow.rows(rows.data(), 1);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(at(narrow, 2, y), argb_of_rgb(0x00AA00)) << y;
    EXPECT_EQ(at(narrow, 3, y), argb_of_rgb(0x000100 + 2 * y + 1)) << y;
  }
}

TEST(LazyCanvas, RowsBelowTheEdgeLeaveNothingForATallerRaster) {
  // Rows that land below the raster are noted on a spare entry; once the raster grows that entry
  // is a real row, which a later batch that skips it must leave as it is (black here).
  Canvas c;
  c.resize(4 * 15, 4 * 15);
  face_rows(c, 8, 0x000100);  // unit 8 lands one row below the raster
  face_rows(c, 8, 0x000200);
  c.resize(4 * 15, 8 * 15);
  c.set_scale_height(8);
  c.set_scale_width(1);
  const Row rows[] = {{0, 0x00AA00, 1, 1}, {6, 0x00BB00, 1, 1}};
  c.rows(rows, 2);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(at(c, x, 0), argb_of_rgb(0x00AA00)) << x;
    EXPECT_EQ(at(c, x, 3), argb_of_rgb(0x000200 + 7)) << x;
    EXPECT_EQ(at(c, x, 4), kBlack) << x;
    EXPECT_EQ(at(c, x, 6), argb_of_rgb(0x00BB00)) << x;
  }
}

// Random sequences of everything a surface is asked to do, read after every step on one canvas
// and only now and then on the other. Every read of the second must match the first.
TEST(LazyCanvas, ReadingLateDrawsWhatReadingAtOnceDraws) {
  std::mt19937 rng(27);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int trial = 0; trial < 200; ++trial) {
    Canvas eager, lazy;
    auto both = [&](auto&& f) {
      f(eager);
      (void)eager.raster();
      f(lazy);
    };
    int steps = 5 + pick(40);
    for (int s = 0; s < steps; ++s) {
      const auto rgb = static_cast<OleColor>(rng() & 0xFFFFFF);
      switch (pick(7)) {
        case 0: {  // a new size, often smaller or larger than the pixels held
          const float w = static_cast<float>(15 * pick(30)), h = static_cast<float>(15 * pick(20));
          both([&](Canvas& c) { c.resize(w, h); });
          break;
        }
        case 1:
        case 2: {  // a face over every row at the current size, or one of too few rows
          const int n = pick(3) ? 1 + static_cast<int>(lazy.scale_height() / 10) : 1 + pick(12);
          both([&](Canvas& c) { face_rows(c, n, rgb); });
          break;
        }
        case 3: {  // a run of rows in whatever scale is set now
          const Row r{static_cast<float>(pick(20) - 3), rgb, 1 + pick(30), pick(2) ? 1 : -1};
          both([&](Canvas& c) { c.rows(&r, 1); });
          break;
        }
        case 4: {  // a column, as the face's edges draw them
          const float x = static_cast<float>(pick(8)), y1 = static_cast<float>(pick(10)) / 3,
                      y2 = static_cast<float>(pick(40));
          both([&](Canvas& c) { c.line(x, y1, x, y2, rgb); });
          break;
        }
        case 5: {  // a span or a slanted line between batches
          const float x1 = static_cast<float>(pick(6)), y1 = static_cast<float>(pick(12));
          const float x2 = static_cast<float>(pick(6)), y2 = pick(2) ? y1 : y1 + pick(9);
          both([&](Canvas& c) { c.line(x1, y1, x2, y2, rgb); });
          break;
        }
        default: {  // a scale change on its own, or a read in the middle of the sequence
          if (pick(2)) {
            const float sw = static_cast<float>(1 + pick(40)),
                        sh = static_cast<float>(1 + pick(60));
            both([&](Canvas& c) {
              c.set_scale_width(sw);
              c.set_scale_height(sh);
            });
          } else {
            ASSERT_EQ(lazy.raster().pixels, eager.raster().pixels)
                << "trial " << trial << " step " << s;
          }
        }
      }
    }
    const Raster &a = eager.raster(), &b = lazy.raster();
    ASSERT_EQ(b.width, a.width) << "trial " << trial;
    ASSERT_EQ(b.height, a.height) << "trial " << trial;
    ASSERT_EQ(b.pixels, a.pixels) << "trial " << trial;
  }
}

// The same through a whole button: property changes, resizes and presses, with the picture
// composed after every step on one button and only at the end on the other.
TEST(LazyCanvas, ButtonsReadLateShowWhatButtonsReadAtOnceShow) {
  auto measure = [](const Font&, const std::string&) { return headless::TextSize{40, 13}; };
  std::mt19937 rng(2727);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (int trial = 0; trial < 20; ++trial) {
    headless::Button eager(nullptr, nullptr, measure), lazy(nullptr, nullptr, measure);
    for (headless::Button* b : {&eager, &lazy}) {
      b->control().InitProperties();
      b->control().Show();
    }
    for (int s = 0; s < 12; ++s) {
      const int what = pick(5), a = pick(400), c = pick(200);
      for (headless::Button* b : {&eager, &lazy}) {
        Boton& ctl = b->control();
        std::int16_t button = 1, shift = 0;
        float x = 30, y = 20;
        switch (what) {
          case 0:
            b->resize(static_cast<float>(15 * (2 + a)), static_cast<float>(15 * (2 + c / 2)));
            break;
          case 1:
            ctl.set_RoundSize(a % 60);
            break;
          case 2:
            ctl.set_BackColor(static_cast<OleColor>(a * 40503 + c) & 0xFFFFFF);
            break;
          case 3:
            ctl.MouseDown(button, shift, x, y);
            break;
          default:
            ctl.MouseUp(button, shift, x, y);
        }
      }
      (void)eager.compose();
    }
    const Raster a = eager.compose(), b = lazy.compose();
    ASSERT_EQ(b.width, a.width) << "trial " << trial;
    ASSERT_EQ(b.height, a.height) << "trial " << trial;
    ASSERT_EQ(b.pixels, a.pixels) << "trial " << trial;
  }
}

}  // namespace
}  // namespace brelund
