// Runs a trace script against one Boton and prints every observable effect as one JSON object
// per line. The same script gives the same lines on every host.
#pragma once

#include <iosfwd>
#include <string>

#include "trace/host.h"

namespace brelund::trace {

// Returns the exit status: 0, 1 when the output cannot be written, or 2 when a line cannot be
// parsed (the message goes to `err`).
// `folder` resolves relative file names in the script.
int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder,
        Host& host);
// The same on the headless host.
int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder = ".");

}  // namespace brelund::trace
