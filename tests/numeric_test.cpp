#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "control/numeric.h"

namespace brelund {
namespace {

int error_of(auto&& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

TEST(Numeric, ConversionsRoundHalfToEven) {
  EXPECT_EQ(num::to_i16(0.5), 0);
  EXPECT_EQ(num::to_i16(-0.5), 0);
  EXPECT_EQ(num::to_i16(1.5), 2);
  EXPECT_EQ(num::to_i16(2.5), 2);
  EXPECT_EQ(num::to_i16(-2.5), -2);
  EXPECT_EQ(num::to_i16(3.5), 4);
  EXPECT_EQ(num::to_i16(2.5000001), 3);
  EXPECT_EQ(num::to_i32(-3.5), -4);
  EXPECT_EQ(num::to_i32(49.5), 50);
  EXPECT_EQ(num::to_i32(295.5), 296);
}

TEST(Numeric, RoundingAgreesWithTheLibraryAcrossMagnitudes) {
  // The inlined rounding must pick what the default rounding mode picks, halves and all.
  for (double v : {0.5, 1.5, 2.5, -0.5, -1.5, -2.5, 4503599627370495.5, -4503599627370495.5,
                   4503599627370497.0, 0.49999999999999994, -0.49999999999999994, 1e300, -0.0})
    EXPECT_EQ(num::round_half_even(v), std::nearbyint(v)) << v;
  for (int i = -20000; i <= 20000; ++i) {
    const double v = i / 8.0;
    EXPECT_EQ(num::round_half_even(v), std::nearbyint(v)) << v;
  }
}

TEST(Numeric, SixteenBitBoundsAreExact) {
  EXPECT_EQ(num::to_i16(32767), 32767);
  EXPECT_EQ(num::to_i16(32767.49), 32767);
  EXPECT_EQ(num::to_i16(-32768), -32768);
  EXPECT_EQ(num::to_i16(-32768.5), -32768);  // ties to even stay in range
  EXPECT_EQ(error_of([] { num::to_i16(32767.5); }), 6);
  EXPECT_EQ(error_of([] { num::to_i16(32768); }), 6);
  EXPECT_EQ(error_of([] { num::to_i16(-32769); }), 6);
  EXPECT_EQ(error_of([] { num::to_i16(std::numeric_limits<double>::quiet_NaN()); }), 6);
}

TEST(Numeric, ThirtyTwoBitBoundsAreExact) {
  EXPECT_EQ(num::to_i32(2147483647.0), 2147483647);
  EXPECT_EQ(num::to_i32(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(error_of([] { num::to_i32(2147483647.5); }), 6);
  EXPECT_EQ(error_of([] { num::to_i32(2147483648.0); }), 6);
  EXPECT_EQ(error_of([] { num::to_i32(-2147483649.0); }), 6);
  EXPECT_EQ(error_of([] { num::to_i32(1e300); }), 6);
}

TEST(Numeric, CheckedSumsFailInsteadOfWrapping) {
  constexpr auto max = std::numeric_limits<std::int32_t>::max();
  constexpr auto min = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(num::add32(max - 1, 1), max);
  EXPECT_EQ(num::sub32(min + 1, 1), min);
  EXPECT_EQ(error_of([&] { num::add32(max, 1); }), 6);
  EXPECT_EQ(error_of([&] { num::sub32(min, 1); }), 6);
  EXPECT_EQ(error_of([&] { num::sub32(0, min); }), 6);
}

// Image sizes as allocation sizes: the products that wrap a 32-bit size_t (65536 x 65536 pixels,
// or 32768 x 32768 x 4 bytes) wrap a 64-bit one at the same relative place.
TEST(Numeric, ImageAreasFailInsteadOfWrapping) {
  constexpr std::size_t max = std::numeric_limits<std::size_t>::max();
  constexpr std::size_t half = std::size_t{1} << (std::numeric_limits<std::size_t>::digits / 2);
  EXPECT_EQ(num::area(640, 480), 307200u);
  EXPECT_EQ(num::area(640, 480, 4), 1228800u);
  EXPECT_EQ(num::area(half - 1, half), (half - 1) * half);
  EXPECT_EQ(error_of([&] { num::area(half, half); }), 7);
  EXPECT_EQ(error_of([&] { num::area(half / 2, half / 2, 4); }), 7);
  EXPECT_EQ(error_of([&] { num::area(max, 2); }), 7);
  EXPECT_EQ(num::area(0, max, 4), 0u);
}

TEST(Numeric, DivisionTruncatesTowardZero) {
  EXPECT_EQ(num::div32(45, 2), 22);
  EXPECT_EQ(num::div32(-45, 2), -22);
  EXPECT_EQ(num::div32(-1, 256), 0);
  EXPECT_EQ(error_of([] { num::div32(1, 0); }), 11);
  EXPECT_EQ(error_of([] { num::div32(std::numeric_limits<std::int32_t>::min(), -1); }), 6);
}

TEST(Numeric, GuardedReportsInsteadOfThrowing) {
  const Status ok = guarded([] {});
  EXPECT_TRUE(ok.ok());
  const Status s = guarded([] { num::to_i16(1e6); });
  EXPECT_EQ(s.number, 6);
  EXPECT_EQ(s.description, "Overflow");
  const Status other = guarded([] { throw std::logic_error("boom"); });
  EXPECT_FALSE(other.ok());
}

}  // namespace
}  // namespace brelund
