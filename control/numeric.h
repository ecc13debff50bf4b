// The control's arithmetic rules, written once: conversions to 16 and 32 bits round to the
// nearest integer with ties to even and fail with "Overflow"; 32-bit sums are checked; integer
// division truncates toward zero. Every path the rules cover goes through these helpers so that
// no unchecked cast can creep in.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

#include "host/error.h"

namespace brelund::num {

namespace detail {
template <class Int>
Int round_to(double v) {
  if (std::isnan(v)) errors::overflow();
  // nearbyint honours the default rounding mode, which is round-half-to-even.
  const double r = std::nearbyint(v);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    errors::overflow();
  return static_cast<Int>(r);
}
}  // namespace detail

inline std::int16_t to_i16(double v) { return detail::round_to<std::int16_t>(v); }
inline std::int32_t to_i32(double v) { return detail::round_to<std::int32_t>(v); }

inline std::int32_t add32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_add_overflow(a, b, &r)) errors::overflow();
  return r;
}

inline std::int32_t sub32(std::int32_t a, std::int32_t b) {
  std::int32_t r;
  if (__builtin_sub_overflow(a, b, &r)) errors::overflow();
  return r;
}

// C++ integer division already truncates toward zero; the one case it cannot represent
// (INT32_MIN / -1) is the overflow the rules ask for.
inline std::int32_t div32(std::int32_t a, std::int32_t b) {
  if (b == 0) throw Error(errors::kDivisionByZero, "Division by zero");
  if (a == std::numeric_limits<std::int32_t>::min() && b == -1) errors::overflow();
  return a / b;
}

}  // namespace brelund::num
