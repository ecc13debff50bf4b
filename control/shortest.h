// A float as the double its shortest decimal text stands for: places, sizes and font sizes are
// floats, and widened to double 450.7 would be written as 450.70001220703125 and 0.1 as
// 0.100000001. The shortest text that reads back as the same float is what is written instead.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brelund::num {

inline double shortest(float v) {
  if (!std::isfinite(v)) return v;
  char buf[32];
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  // Locale-free: an application may have set a locale whose decimal point is a comma.
  const auto end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  double d = 0;
  std::from_chars(buf, end, d);
  return d;
#else
  // The browser build's libc++ has no floating-point to_chars; its C library keeps the "C"
  // locale. The fewest digits that read back as the same float are the shortest text.
  for (int digits = 1; digits < 9; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, static_cast<double>(v));
    if (std::strtof(buf, nullptr) == v) return std::strtod(buf, nullptr);
  }
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  return std::strtod(buf, nullptr);
#endif
}

}  // namespace brelund::num
