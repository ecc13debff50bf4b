#include "trace/trace.h"

#include <istream>
#include <ostream>

#include "trace/parser.h"
#include "trace/reader.h"
#include "trace/runner.h"

namespace brelund::trace {

namespace {
// std::getline, except that a line is not read past the longest a script may have: an endless
// line (a device, a binary file on standard input) then ends the run as too long instead of
// taking all memory. The tokenizer reports the line it gets, one character too long.
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
}  // namespace

int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder,
        Host& host) {
  Runner runner(host, out, folder);
  std::string text;
  int line = 0;
  while (read_line(in, text)) {
    ++line;
    // Editors on Windows start a UTF-8 file with a byte-order mark; it is not part of the first
    // command (form files, read by the JSON library, allow it too).
    if (line == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    std::optional<Command> c;
    try {
      c = parse_line(text, line);
    } catch (const SyntaxError& e) {
      err << "boton trace: " << e.what() << '\n';
      return 2;
    }
    if (c) runner.execute(*c);
    // A script's lines are its whole result: output that cannot be written (a full disk, a
    // closed pipe) is a failure, not a run that printed nothing.
    if (!out.flush()) {
      err << "boton trace: cannot write the output (line " << line << ")\n";
      return 1;
    }
  }
  runner.finish(line);
  if (!out.flush()) {
    err << "boton trace: cannot write the output (line " << line << ")\n";
    return 1;
  }
  return 0;
}

}  // namespace brelund::trace
