// The face's colour stepping. A band adds a fixed fraction to each component per line, rounds to
// 16 bits (ties to even, failing on overflow) and floors at zero. That chain of double
// conversions is the painter's longest dependency per row, so BandStep works out once, per band,
// the whole-number change each step makes and then steps in integers, with exactly the results
// of the double arithmetic.
#pragma once

#include <cmath>
#include <cstdint>

#include "control/numeric.h"
#include "render/colour.h"

namespace brelund::render {

// Per-line change of each component in a band.
struct Step {
  double r, g, b;
};

// The current colour. It is always a whole number within 16 bits: the base and the tones passed
// their 16-bit conversions when they were derived, and every band step converts again.
struct Colour {
  std::int16_t r, g, b;
  std::int32_t rgb() const noexcept { return RGB(r, g, b); }
  friend bool operator==(const Colour&, const Colour&) = default;
};

// One step done in doubles, as the rules state it: each sum goes to 16 bits (failing on
// overflow) and is floored at zero.
inline Colour stepped(const Colour& c, const Step& s) {
  return {FloorAtZero(num::to_i16(c.r + s.r)), FloorAtZero(num::to_i16(c.g + s.g)),
          FloorAtZero(num::to_i16(c.b + s.b))};
}

// stepped() for one Step, in integers.
//
// For a whole c with |c| <= 2^15 and |s| < 2^20, c + s lies below 2^21 in magnitude, where a
// double is exact to 2^-32, so the rounded sum is c + k + t' with k = floor(s) and t' within
// 2^-33 of t = s - k (exact, as both are multiples of s's last place). Rounded to the nearest
// whole number that is c + k while t < 1/2 and c + k + 1 while t > 1/2, whatever c is, as long as
// t is not within that error of 1/2. At t = 1/2 exactly the sum is an exact tie, and ties go to
// the even one of c + k and c + k + 1. Steps outside these bounds, or too close to a tie to tell,
// keep the double arithmetic.
class BandStep {
 public:
  explicit BandStep(const Step& s) noexcept : step_(s) {
    integral_ = component(s.r, 0) && component(s.g, 1) && component(s.b, 2);
  }

  [[gnu::always_inline]] Colour operator()(const Colour& c) const {
    if (!integral_) return stepped(c, step_);
    return {next(c.r, 0), next(c.g, 1), next(c.b, 2)};
  }

 private:
  bool component(double s, int i) noexcept {
    if (!(std::fabs(s) < 0x1p20)) return false;
    const double k = std::floor(s), t = s - k;
    tie_[i] = t == 0.5;
    if (!tie_[i] && std::fabs(t - 0.5) < 0x1p-30) return false;
    add_[i] = static_cast<std::int32_t>(k) + (t > 0.5 ? 1 : 0);
    return true;
  }
  [[gnu::always_inline]] std::int16_t next(std::int16_t c, int i) const {
    std::int32_t v = c + add_[i];
    if (tie_[i]) v = (v + 1) & ~1;  // two's complement: the even neighbour of v + 1/2
    if (v < -32768 || v > 32767) errors::overflow();
    return FloorAtZero(static_cast<std::int16_t>(v));
  }

  Step step_;
  std::int32_t add_[3] = {0, 0, 0};
  bool tie_[3] = {false, false, false};
  bool integral_ = false;  // every component steps by whole numbers exactly
};

}  // namespace brelund::render
