// The trace language: one command per line, checked completely before it runs, so that a line
// that cannot be understood stops the script before doing anything.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "brelund/values.h"

namespace brelund::trace {

class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& what)
      : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
  int line() const noexcept { return line_; }

 private:
  int line_;
};

// A value on the right of `let` or `set`.
struct ValueSpec {
  enum class Kind {
    number,
    string,
    boolean,
    nothing,
    picture_size,
    picture_empty,
    picture_file,
    font
  };
  Kind kind = Kind::number;
  double number = 0;
  std::string text;  // string, file path or font name
  bool flag = false;
  int width = 0, height = 0;
  Font font;
};

struct Command {
  int line = 0;
  std::string verb;  // "new", "mouse", ...
  std::string sub;   // "down", "over", "enter", ... where the verb has one
  std::vector<double> numbers;
  std::string text;    // a file, a name or raw JSON
  std::string target;  // "Label" or "Pic" for forwarded pointer notifications
  std::optional<bool> flag_a, flag_b;
  ValueSpec value;
  std::shared_ptr<const Command> handler;  // for `on EVENT COMMAND...`
};

// Parses one line; nullopt for blank and comment lines. Throws SyntaxError.
std::optional<Command> parse_line(std::string_view text, int line);

}  // namespace brelund::trace
