// The trace language on arbitrary text: every line through the parser (which may only refuse
// with SyntaxError), then the whole script run against a control. Scripts that would touch files
// outside the scratch folder or ask for gigabytes or minutes are skipped: those are the user's
// choice to make, not faults.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "trace/parser.h"
#include "trace/trace.h"

using namespace brelund;

namespace {

bool plain_file_name(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos;
}

bool bounded(const trace::Command& c) {
  using namespace trace;
  return std::visit(
      Overloaded{[](const cmd::ReadFile& r) { return plain_file_name(r.path); },
                 [](const cmd::Snapshot& s) { return plain_file_name(s.path); },
                 [](const cmd::Let& l) {
                   if (const auto* f = std::get_if<Value::PictureFile>(&l.value.v))
                     return plain_file_name(f->path);
                   if (const auto* p = std::get_if<Value::PictureOfSize>(&l.value.v))
                     return p->width <= 512 && p->height <= 512;
                   return true;
                 },
                 // 2000 pixels a side at most, and no more than a quarter of an hour of ticks.
                 [](const cmd::Size& s) {
                   return std::fabs(s.width) <= 30000 && std::fabs(s.height) <= 30000;
                 },
                 [](const cmd::Tick& t) { return t.periods <= 10000; },
                 [](const cmd::On& on) { return !on.handler || bounded(*on.handler); },
                 [](const auto&) { return true; }},
      c.action);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  bool runnable = true;
  while (std::getline(lines, line)) {
    try {
      if (auto c = trace::parse_line(line, ++number)) runnable = runnable && bounded(*c);
    } catch (const trace::SyntaxError&) {
      // The run stops at this line; what comes before it still runs.
      break;
    }
  }
  if (!runnable) return 0;
  std::istringstream in(text);
  std::ostringstream out, err;
  trace::run(in, out, err, fuzz::scratch_folder());
  return 0;
}
