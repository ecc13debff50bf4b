// The trace language: one command per line, checked completely before it runs, so that a line
// that cannot be understood stops the script before doing anything.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "trace/command.h"

namespace brelund::trace {

class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what),
        line_(line),
        message_(what) {}
  int line() const noexcept { return line_; }
  // What is wrong, without the line.
  const std::string& message() const noexcept { return message_; }

 private:
  int line_;
  std::string message_;
};

// Parses one line; nullopt for blank and comment lines. Throws SyntaxError.
std::optional<Command> parse_line(std::string_view text, int line);

}  // namespace brelund::trace
