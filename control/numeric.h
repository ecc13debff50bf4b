// The control's arithmetic rules, written once: conversions to 16 and 32 bits round to the
// nearest integer with ties to even and fail with "Overflow"; 32-bit sums are checked; integer
// division truncates toward zero. Every path the rules cover goes through these helpers so that
// no unchecked cast can creep in.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#if defined(__x86_64__) && defined(__SSE2__)
#include <immintrin.h>
#endif

#include "brelund/error.h"

namespace brelund::num {

// The nearest integer, ties to even. Adding and subtracting 2^52 leaves exactly the integer the
// default rounding mode (ties to even) picks; it inlines, where nearbyint is a library call on
// the face painter's hottest path. Values from 2^52 up are whole already; NaN passes through.
// The sum must be rounded to double on the spot: with x87's wider intermediates (32-bit x86
// without -msse2 -mfpmath=sse) 2.5 + 2^52 is exact, and 2.5 would come back unrounded.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic must be evaluated in double (use SSE2)");
inline double round_half_even(double v) noexcept {
  if (!(std::fabs(v) < 0x1p52)) return v;
  const double big = std::copysign(0x1p52, v);
  return (v + big) - big;
}

namespace detail {
// Inlined: the painter converts six values per row, and the throw stays out of line.
template <class Int>
[[gnu::always_inline]] inline Int round_to(double v) {
#if defined(__x86_64__) && defined(__SSE2__)
  // One conversion instruction rounds in the same mode as the sum above, and gives INT64_MIN for
  // NaN and for anything beyond 64 bits, which the range test below turns into the overflow.
  static_assert(sizeof(Int) < sizeof(long long));
  const long long i = _mm_cvtsd_si64(_mm_set_sd(v));
  if (i < std::numeric_limits<Int>::min() || i > std::numeric_limits<Int>::max())
    errors::overflow();
  return static_cast<Int>(i);
#else
  if (std::isnan(v)) errors::overflow();
  const double r = round_half_even(v);
  if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
      r > static_cast<double>(std::numeric_limits<Int>::max()))
    errors::overflow();
  return static_cast<Int>(r);
#endif
}
}  // namespace detail

inline std::int16_t to_i16(double v) { return detail::round_to<std::int16_t>(v); }
inline std::int32_t to_i32(double v) { return detail::round_to<std::int32_t>(v); }

// The element count of a w x h image (times unit, for bytes) as an allocation size. On 32-bit
// Windows size_t is 32 bits and a picture of 65536 x 65536 already wraps it to 0, which would
// allocate too little and let the rows run past it: refuse as the failed allocation would.
inline std::size_t area(std::size_t w, std::size_t h, std::size_t unit = 1) {
  std::size_t n;
  if (__builtin_mul_overflow(w, h, &n) || __builtin_mul_overflow(n, unit, &n))
    throw Error(errors::kOutOfMemory, "Out of memory");
  return n;
}

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
