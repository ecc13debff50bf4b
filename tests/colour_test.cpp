#include <gtest/gtest.h>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"
#include "render/colour.h"

namespace brelund {
namespace {

TEST(Colour, SplitColorTruncatesSignedValues) {
  EXPECT_EQ(SplitColor(0x00C8A064), (Colores{0x64, 0xA0, 0xC8}));
  EXPECT_EQ(SplitColor(-1), (Colores{255, 0, 0}));                 // a red face, not white
  EXPECT_EQ(SplitColor(0x7F123456), (Colores{0x56, 0x34, 0x12}));  // top byte ignored
  EXPECT_EQ(SplitColor(0), (Colores{0, 0, 0}));
}

TEST(Colour, FloorAtZeroHasNoUpperBoundButRgbClamps) {
  EXPECT_EQ(FloorAtZero(-1), 0);
  EXPECT_EQ(FloorAtZero(-32768), 0);
  EXPECT_EQ(FloorAtZero(0), 0);
  EXPECT_EQ(FloorAtZero(300), 300);
  EXPECT_EQ(RGB(300, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(RGB(1, 2, 3), 1 + 2 * 256 + 3 * 65536);
  EXPECT_EQ(RGB(32767, 32767, 32767), 0xFFFFFF);
}

TEST(Colour, SystemColourReferencesResolveThroughTheirLowByte) {
  headless::Button b;
  auto& platform = internals(b).platform;
  platform.set_sys_color(15, 0x123456);
  platform.set_sys_color(254, 0x0000FF);
  EXPECT_EQ(SysColorToRgb(platform, static_cast<OleColor>(0x8000000F)), 0x123456);
  EXPECT_EQ(SysColorToRgb(platform, static_cast<OleColor>(0xFFFF000F)),
            0x123456);                               // upper bits ignored
  EXPECT_EQ(SysColorToRgb(platform, -2), 0x0000FF);  // index 254
  EXPECT_EQ(SysColorToRgb(platform, -1), -1);        // not a reference
  EXPECT_EQ(SysColorToRgb(platform, 0x7F00FF00), 0x7F00FF00);
  // The default scheme fills the usual range and answers the two defaults the control uses.
  headless::Button fresh;
  EXPECT_EQ(SysColorToRgb(internals(fresh).platform, static_cast<OleColor>(0x8000000F)),
            headless::default_system_colors()[15]);
  EXPECT_EQ(SysColorToRgb(internals(fresh).platform, static_cast<OleColor>(0x80000012)), 0);
}

}  // namespace
}  // namespace brelund
