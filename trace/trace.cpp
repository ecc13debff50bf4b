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
    std::optional<Command> c;
    try {
      c = parse_line(text, line);
    } catch (const SyntaxError& e) {
      err << "boton trace: " << e.what() << '\n';
      return 2;
    }
    if (c) runner.execute(*c);
    out.flush();
  }
  return 0;
}

}  // namespace brelund::trace
