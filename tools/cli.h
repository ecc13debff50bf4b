// What the boton CLI's commands share: input and output through files or `-`, the one kind of
// failure they report (a message and exit status 1), and text from files made safe to print.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/common/forms/escape.h"

namespace brelund::cli {

// A bad argument, path or input: main prints "boton: MESSAGE" and exits with status 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Names and values from files are printed through this (host/common/forms/escape.h).
using forms::escaped;

// Checks an output before any work is done: a file must end in `extension` (".png", ".json")
// unless it is a device such as /dev/null; `-` is standard output, which must not be a terminal
// when the output is `binary`.
void check_output(const std::string& path, const std::string& extension, bool binary);

// The whole of a file, or of standard input for `-`, up to `max_bytes`.
std::string read_input(const std::string& path, std::size_t max_bytes);
// Writes to standard output for `-`, and straight to a device or pipe (/dev/null, /dev/stdout).
// A regular file is written to a temporary file beside it that replaces it once complete, so that
// a failed write leaves no half-written file behind; the replacement keeps the old file's mode,
// and a symbolic link is written through: its target is replaced, the link stays.
void write_output(const std::string& path, const std::string& bytes);
void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace brelund::cli
