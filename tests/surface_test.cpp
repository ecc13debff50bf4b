#include <gtest/gtest.h>

#include "brelund/error.h"
#include "host/common/canvas.h"

namespace brelund {
namespace {

std::int32_t at(const Canvas& c, int x, int y) { return rgb_of_argb(c.raster().row(y)[x]); }

TEST(Canvas, ScaleStartsInTwipsOfTheClientArea) {
  Canvas c;
  c.resize(2960, 855);  // 197.33 pixels truncate to 197
  EXPECT_EQ(c.raster().width, 197);
  EXPECT_EQ(c.raster().height, 57);
  EXPECT_EQ(c.scale_width(), 2955);
  EXPECT_EQ(c.scale_height(), 855);
  c.set_scale_height(86);
  EXPECT_EQ(c.scale_width(), 2955);  // one axis at a time
  c.resize(1500, 300);
  EXPECT_EQ(c.scale_height(), 300);
}

TEST(Canvas, RowsCoverTheFullWidthAndEveryPixelRowIsReached) {
  Canvas c;
  c.resize(2955, 855);
  c.set_scale_height(86);  // about one and a half units per pixel row
  c.set_scale_width(1);
  for (int y = 0; y <= 86; ++y) c.line(0, static_cast<float>(y), 1, static_cast<float>(y), y);
  for (int py = 0; py < 57; ++py) {
    const std::int32_t colour = at(c, 0, py);
    EXPECT_EQ(at(c, 196, py), colour);
    EXPECT_EQ(colour, ((py + 1) * 86 - 1) / 57) << "last unit mapping onto row " << py;
  }
}

TEST(Canvas, ColumnsExcludeTheirEndPoint) {
  Canvas c;
  c.resize(150, 150);  // 10 x 10 pixels, scale 150 x 150
  c.line(15, 30, 15, 90, 0x0000FF);
  EXPECT_EQ(at(c, 1, 1), 0);
  EXPECT_EQ(at(c, 1, 2), 0x0000FF);
  EXPECT_EQ(at(c, 1, 5), 0x0000FF);
  EXPECT_EQ(at(c, 1, 6), 0);         // the end point is not painted
  c.line(45, 90, 45, 30, 0x00FF00);  // upward: start included, end excluded
  EXPECT_EQ(at(c, 3, 6), 0x00FF00);
  EXPECT_EQ(at(c, 3, 2), 0);
  c.line(-500, 5, 5000, 5, 0xFF);  // far outside: clipped, no crash
  EXPECT_EQ(at(c, 9, 0), 0xFF);
}

TEST(Canvas, ZeroExtentsAreRefused) {
  Canvas c;
  c.resize(150, 150);
  EXPECT_THROW(c.set_scale_width(0), Error);
  EXPECT_EQ(c.scale_width(), 150);
  Canvas empty;  // no pixels: lines are harmless
  empty.line(0, 0, 1, 1, 0);
}

}  // namespace
}  // namespace brelund
