#include "trace/trace.h"

#include <istream>
#include <ostream>
#include <vector>

#include "trace/parser.h"
#include "trace/reader.h"
#include "trace/runner.h"

namespace brelund::trace {

namespace {

// The most a whole script may hold: an endless input (a device, a pipe that never closes) ends
// the run instead of taking all memory.
constexpr std::size_t kMaxScript = std::size_t{64} << 20;

// std::getline, except that a line is not read past the longest a script may have: an endless
// line then ends the run as too long. The tokenizer reports the line it gets, one character too
// long.
bool read_line(std::istream& in, std::string& text) {
  using traits = std::istream::traits_type;
  text.clear();
  if (!in) return false;
  std::streambuf* const buf = in.rdbuf();
  for (;;) {
    const auto c = buf->sbumpc();
    if (traits::eq_int_type(c, traits::eof())) {
      in.setstate(std::ios::eofbit);
      return !text.empty();
    }
    if (traits::to_char_type(c) == '\n') return true;
    text.push_back(traits::to_char_type(c));
    if (text.size() > kMaxLine) return true;
  }
}

// Reads and parses the whole script. Returns 0 with the commands, or the exit status after
// writing the error.
int read_script(std::istream& in, std::ostream& err, const std::string& name,
                std::vector<Command>& commands) {
  std::string text;
  std::size_t total = 0;
  int line = 0;
  while (read_line(in, text)) {
    ++line;
    total += text.size() + 1;
    if (total > kMaxScript) {
      err << name << ':' << line << ": the script is larger than the limit of " << kMaxScript
          << " bytes\n";
      return 1;
    }
    // Editors on Windows start a UTF-8 file with a byte-order mark; it is not part of the first
    // command (form files, read by the JSON library, allow it too).
    if (line == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    try {
      if (auto c = parse_line(text, line)) commands.push_back(std::move(*c));
    } catch (const SyntaxError& e) {
      err << name << ':' << e.line() << ": " << e.message() << '\n';
      return 2;
    }
    // A line too long ends the reading: what follows is the rest of that line.
    if (text.size() > kMaxLine) break;
  }
  if (in.bad()) {
    err << name << ':' << line << ": cannot read the script\n";
    return 1;
  }
  return 0;
}

}  // namespace

int check(std::istream& in, std::ostream& err, const std::string& name) {
  std::vector<Command> commands;
  return read_script(in, err, name, commands);
}

int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder,
        Host& host, const std::string& name) {
  std::vector<Command> commands;
  if (const int status = read_script(in, err, name, commands); status != 0) return status;
  Runner runner(host, out, folder);
  for (const Command& c : commands) {
    runner.execute(c);
    // A script's lines are its whole result: output that cannot be written (a full disk, a
    // closed pipe) is a failure, not a run that printed nothing.
    if (!out.flush()) {
      err << name << ':' << c.line << ": cannot write the output\n";
      return 1;
    }
  }
  // A step the host still holds (half of a focus pair) is reported against the last line.
  const int last = commands.empty() ? 0 : commands.back().line;
  runner.finish(last);
  if (!out.flush()) {
    err << name << ':' << last << ": cannot write the output\n";
    return 1;
  }
  return 0;
}

}  // namespace brelund::trace
