// The keys a saved property set may hold: the control's saved members, matched without regard to
// case as the property bag matches them. A key that is none of them is most likely misspelt, so
// the nearest name is offered.
#pragma once

#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace brelund {
struct Member;
}

namespace brelund::forms {

// The saved member `key` names, case ignored; nullptr for anything else (a member a save does not
// write among them).
const Member* saved_member(std::string_view key);

// The property name closest to `key` by edit distance (case ignored); ties go to the first in
// the control's order.
std::string_view nearest_property_name(std::string_view key);

// The name among `names` that `key` is most likely a misspelling of: the nearest by edit distance
// (case ignored, a swap of neighbours one edit, ties to the first), if it is near enough: at most
// one edit for every three characters of the longer name, rounded. Nonsense gets no suggestion.
std::optional<std::string_view> suggest(std::string_view key,
                                        const std::vector<std::string_view>& names);
// The saved property names, for suggest().
const std::vector<std::string_view>& property_names();

}  // namespace brelund::forms
