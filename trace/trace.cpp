#include "trace/trace.h"

#include <istream>
#include <ostream>

#include "trace/parser.h"
#include "trace/runner.h"

namespace brelund::trace {

int run(std::istream& in, std::ostream& out, std::ostream& err, const std::string& folder,
        Host& host) {
  Runner runner(host, out, folder);
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
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
  return 0;
}

}  // namespace brelund::trace
