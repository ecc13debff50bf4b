// Number text for the page's module from the browser's own (see control/number_text.h and
// number_text.js): the C library's printf and strtod, with the long double arithmetic they are
// built on, would be a tenth of the page's WebAssembly. The results are the C library's, digit
// for digit.
#include "control/number_text.h"

// number_text.js.
extern "C" int brelund_g15(double d, char* out);
extern "C" double brelund_decimal(const char* text, int size);

namespace brelund::num {

std::string g15(double d) {
  char buf[32];
  return std::string(buf, static_cast<std::size_t>(brelund_g15(d, buf)));
}

std::optional<double> decimal(const std::string& text) {
  const double d = brelund_decimal(text.data(), static_cast<int>(text.size()));
  if (!(d - d == 0)) return std::nullopt;  // NaN or infinite
  return d;
}

}  // namespace brelund::num
