#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "brelund/headless/button.h"
#include "host/headless/internals.h"
#include "render/colour.h"
#include "render/shade.h"

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

// The whole-number band step stands for the double one: same colour and same overflow for every
// 16-bit component, at exact ties (where parity decides), just beside them, at the bounds of
// the shortcut and for steps as the painter divides them.
TEST(Colour, BandStepsInIntegersAsTheDoubleArithmeticDoes) {
  using render::BandStep;
  using render::Colour;
  using render::Step;
  auto same = [](const Step& s, std::int16_t c) {
    const Colour in{c, static_cast<std::int16_t>(c / 2), static_cast<std::int16_t>(-c / 3)};
    std::optional<Colour> plain, fast;
    try {
      plain = render::stepped(in, s);
    } catch (const Error&) {
    }
    try {
      fast = BandStep(s)(in);
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errors::kOverflow);
    }
    return plain == fast;
  };
  std::vector<double> odd{0.5,
                          -0.5,
                          2.5,
                          -7.5,
                          0.5 + 0x1p-31,
                          0.5 - 0x1p-31,
                          0.5 + 0x1p-40,
                          3.5 - 0x1p-45,
                          0x1p20 - 0.5,
                          -0x1p20 + 0.5,
                          0x1p20,
                          32767.5,
                          -32768.5,
                          65535.5,
                          0.49999999,
                          1e-300,
                          -1e-300,
                          0,
                          0.9999999999999999,
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (double v : odd) {
    const Step s{v, -v, v / 3};
    for (int c = -32768; c <= 32767; ++c)
      ASSERT_TRUE(same(s, static_cast<std::int16_t>(c))) << "step " << v << " colour " << c;
  }
  // Steps as the painter makes them: a tone difference over a band of n * f rows.
  std::mt19937 rng(7);
  for (int diff = -600; diff <= 600; diff += 7)
    for (int n = 1; n <= 400; n += 13)
      for (int percent : {1, 3, 20, 33, 50, 70, 100, 150}) {
        const double nf = n * (percent / 100.0);
        const Step s{diff / nf, (diff + 1) / nf, (diff - 3) / nf};
        for (int k = 0; k < 8; ++k)
          ASSERT_TRUE(same(s, static_cast<std::int16_t>(rng() % 700))) << diff << " over " << nf;
      }
}

}  // namespace
}  // namespace brelund
