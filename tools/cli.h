// What the boton CLI's commands share: their arguments, input and output through files or `-`,
// and the one kind of failure they report (a message and exit status 1).
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brelund::cli {

// A bad argument, path or input: main prints "boton: MESSAGE" and exits with status 1.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A command's arguments: positional ones in order, and the one value of `-o`.
struct Args {
  std::vector<std::string> positional;
  std::optional<std::string> output;
  bool help = false;
};

// Reads `--help`/`-h`, `-o PATH` and positional arguments (`-` alone is positional: standard
// input or output). Anything else that starts with `-` is refused.
Args parse_args(const std::string& command, int argc, char** argv, int first);

// The one positional argument a command takes (or `fallback` when it is optional).
std::string single_input(const std::string& command, const Args& args,
                         std::optional<std::string> fallback = std::nullopt);
// The `-o` path, checked for the extension the command writes (".png", ".json") unless it is `-`.
std::string required_output(const std::string& command, const Args& args,
                            const std::string& extension);

// The whole of a file, or of standard input for `-`, up to `max_bytes`.
std::string read_input(const std::string& path, std::size_t max_bytes);
// Writes to standard output for `-`; otherwise to a temporary file beside `path` that replaces it
// once complete, so that a failed write leaves no half-written file behind.
void write_output(const std::string& path, const std::string& bytes);
void write_output(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace brelund::cli
