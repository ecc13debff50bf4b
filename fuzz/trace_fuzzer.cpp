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
#include "trace/trace.h"
#include "trace/trace_parser.h"

using namespace brelund;

namespace {

bool plain_file_name(const std::string& name) {
  return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos;
}

bool bounded(const trace::Command& c) {
  auto within = [&](double limit) {
    for (double n : c.numbers)
      if (!(std::fabs(n) <= limit)) return false;
    return true;
  };
  if ((c.verb == "read" && c.sub == "file") || c.verb == "snapshot")
    if (!plain_file_name(c.text)) return false;
  if (c.verb == "let" && c.value.kind == trace::ValueSpec::Kind::picture_file &&
      !plain_file_name(c.value.text))
    return false;
  if (c.verb == "let" && c.value.kind == trace::ValueSpec::Kind::picture_size &&
      (c.value.width > 512 || c.value.height > 512))
    return false;
  if (c.verb == "size" && !within(30000)) return false;  // 2000 pixels a side
  if (c.verb == "tick" && !within(10000)) return false;
  return !c.handler || bounded(*c.handler);
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
