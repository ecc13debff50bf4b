// The keys a saved property set may hold: the control's saved members, matched without regard to
// case as the property bag matches them. A key that is none of them is most likely misspelt, so
// the nearest name is offered.
#pragma once

#include <string_view>

namespace brelund::forms {

bool is_property_name(std::string_view key);
// The property name closest to `key` by edit distance (case ignored); ties go to the first in
// the control's order.
std::string_view nearest_property_name(std::string_view key);

}  // namespace brelund::forms
