#include "control/number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brelund::num {

std::string g15(double d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  return buf;
}

std::optional<double> decimal(const std::string& text) {
  char* end = nullptr;
  const double d = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(d)) return std::nullopt;
  return d;
}

}  // namespace brelund::num
