// Runs a trace script against one Boton and prints every observable effect as one JSON object
// per line. The same script gives the same lines on every host.
#pragma once

#include <iosfwd>
#include <string>

#include "trace/host.h"

namespace brelund::trace {

// The whole script is read and every line checked before the first runs: a script with a line
// that cannot be understood does nothing. Returns the exit status: 0, 1 when the script is too
// large or the output cannot be written, or 2 when a line cannot be parsed. Errors go to `err`
// as `NAME:LINE: message`, NAME being the script's file name (- for standard input).
// `folder` resolves relative file names in the script.
int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder,
        Host& host, const std::string& name = "-");
// Only the checking, for a script that another program will run: 0, 1 or 2 as run() says.
int check(std::istream& in, std::ostream& err, const std::string& name);
// The same on the headless host.
int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder = ".");

}  // namespace brelund::trace
