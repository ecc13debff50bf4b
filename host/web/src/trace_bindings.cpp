// The trace runner's module (node only: `boton trace --host web` and the tests). The page's
// module leaves it out: a page has no trace scripts to run.
#include <emscripten/bind.h>

#include <sstream>

#include "host/web/src/trace_host.h"

namespace brelund::web {

namespace {

emscripten::val run_trace(const std::string& script, const std::string& folder) {
  std::istringstream in(script);
  std::ostringstream out, err;
  const int status = run_trace_script(in, out, err, folder);
  emscripten::val r = emscripten::val::object();
  r.set("status", status);
  r.set("out", out.str());
  r.set("err", err.str());
  return r;
}

}  // namespace

EMSCRIPTEN_BINDINGS(brelund_web_trace) { emscripten::function("runTrace", &run_trace); }

}  // namespace brelund::web
