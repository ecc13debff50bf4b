// Decimal text of numbers, as the C library writes and reads it in the "C" locale: the one place
// stored numbers become text and text becomes a number. Its own file so that a host may supply
// the same behaviour from its platform (the browser's page module does: JavaScript has number
// text, and the C library's would add a fifth to what the page downloads).
#pragma once

#include <optional>
#include <string>

namespace brelund::num {

// printf's "%.15g".
std::string g15(double d);
// strtod over all of `text`, which holds only digits, signs, points and exponent letters: the
// value, or nullopt when the text does not read as one number to its end or is out of range.
std::optional<double> decimal(const std::string& text);

}  // namespace brelund::num
