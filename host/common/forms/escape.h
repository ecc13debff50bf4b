// Text from a file made safe to print: names and values in messages cannot move a terminal's
// cursor, change its colours or retitle it.
#pragma once

#include <string>
#include <string_view>

namespace brelund::forms {

// `text` with control characters (C0, DEL, C1) and bytes that are not UTF-8 written as \xHH
// (\n, \t and \r by name) and backslashes doubled; everything else as it is.
std::string escaped(std::string_view text);

}  // namespace brelund::forms
