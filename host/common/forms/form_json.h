// The form file's text as the JSON library alone reads and writes it. forms::parse,
// parse_properties and to_json give exactly these results by a quicker road, and fall back on
// these for anything that road does not take; the tests and the form fuzzer hold the two to
// each other.
#pragma once

#include <string>

#include "brelund/forms.h"

namespace brelund::forms::detail {

Form parse_with_library(const std::string& text, const std::string& folder,
                        const std::string& name);
Properties parse_properties_with_library(const std::string& text, const std::string& folder,
                                         const std::string& name);
std::string to_json_with_library(const Form& form);

}  // namespace brelund::forms::detail
