// Inline body of for_each_span: kept in the header so that the fill loop inlines into callers.
#pragma once

#include <algorithm>
#include <cstdlib>

namespace brelund::shape {

namespace detail {
inline void normalise(int& a, int& b) {
  if (a > b) std::swap(a, b);
}
// The size of an ellipse as the platform's abs() gives it, two's complement: the most negative
// value stays negative (so the corners come out square there, as on the platform), without the
// signed overflow std::abs has for it.
inline int platform_abs(int v) {
  return v < 0 ? static_cast<int>(0u - static_cast<unsigned>(v)) : v;
}
}  // namespace detail

template <class Fn>
void for_each_span(const Region& in, Fn&& fn) {
  int left = in.left, top = in.top, right = in.right, bottom = in.bottom;
  detail::normalise(left, right);
  detail::normalise(top, bottom);
  if (in.kind == Region::Kind::rect) {
    if (left == right || top == bottom) return;
    for (int y = top; y < bottom; ++y) fn(y, left, right);
    return;
  }
  // The Windows round rectangle covers the interior only at the right and bottom: the region
  // ends one pixel short of the rectangle there.
  --right;
  --bottom;
  const int ew = std::min(right - left, detail::platform_abs(in.ellipse_width));
  const int eh = std::min(bottom - top, detail::platform_abs(in.ellipse_height));
  if (ew < 2 || eh < 2) {
    // The smaller rectangle is made like any rectangle region: its corners are put in order
    // again, so a zero width or height (now -1) covers the row or column before the origin.
    detail::normalise(left, right);
    detail::normalise(top, bottom);
    if (left == right || top == bottom) return;
    for (int y = top; y < bottom; ++y) fn(y, left, right);
    return;
  }
  // Inset of each row of the corner ellipse, computed with the integer midpoint walk (Zingl)
  // that the platform uses, so that the corners match pixel for pixel. At most eh rows.
  constexpr int kSmall = 512;
  int small_buf[kSmall];
  std::vector<int> big;
  int* inset = small_buf;
  if (eh + 1 > kSmall) {
    big.resize(static_cast<std::size_t>(eh) + 1);
    inset = big.data();
  }
  std::fill(inset, inset + eh + 1, 0);
  const long long a = ew - 1, b = eh - 1;
  const long long asq = 8 * a * a, bsq = 8 * b * b;
  long long dx = 4 * b * b * (1 - a);
  long long dy = 4 * a * a * (1 + (b % 2));
  long long err = dx + dy + a * a * (b % 2);
  int x = 0, y = eh / 2;
  inset[y] = 0;
  while (x <= ew / 2) {
    const long long e2 = 2 * err;
    if (e2 >= dx) {
      ++x;
      err += dx += bsq;
    }
    if (e2 <= dy) {
      ++y;
      err += dy += asq;
      if (y < eh) inset[y] = x;
    }
  }
  // Top half mirrors the bottom half of the ellipse.
  for (int i = 0; i < eh / 2; ++i) fn(top + i, left + inset[b - i], right - inset[b - i]);
  // The middle row stretches over the straight sides.
  const int mid_bottom = bottom - eh + eh / 2 + 1;
  for (int row = top + eh / 2; row < mid_bottom; ++row) fn(row, left, right);
  for (int i = eh / 2 + 1; i < eh; ++i) fn(bottom - eh + i, left + inset[i], right - inset[i]);
}

}  // namespace brelund::shape
