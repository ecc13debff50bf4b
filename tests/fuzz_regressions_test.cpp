// Inputs that fuzzing found to crash the loaders and the trace runner, reduced to their cause.
// Each must now end in the library's own error (or an error line of the trace) and nothing else.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "brelund/error.h"
#include "brelund/forms.h"
#include "trace/trace.h"

namespace brelund {
namespace {

// The JSON reader reports a number too large for a double as out of range, not as a syntax error.
TEST(FuzzRegressions, NumbersBeyondDoubleAreRefusedWithOurError) {
  const std::string huge = "1" + std::string(400, '0');
  const std::string form = R"({"Controls":[{"Name":"B","Properties":{"Light":)" + huge + "}}]}";
  const std::string set = R"({"Light":1e999})";
  try {
    forms::parse(form, ".", "huge.json");
    ADD_FAILURE() << "a form with a number beyond double loaded";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("huge.json"), std::string::npos) << e.description();
  }
  try {
    forms::parse_properties(set, ".", "huge set");
    ADD_FAILURE() << "a property set with a number beyond double loaded";
  } catch (const Error& e) {
    EXPECT_NE(e.description().find("huge set"), std::string::npos) << e.description();
  }
  // The largest doubles are still numbers: only what does not fit is refused.
  const auto props = forms::parse_properties(R"({"Light":1e308})", ".", "big set");
  ASSERT_EQ(props.size(), 1u);
  ASSERT_TRUE(std::holds_alternative<double>(props[0].second));
  EXPECT_EQ(std::get<double>(props[0].second), 1e308);
}

std::string run_trace(const std::string& script, int& status) {
  std::istringstream in(script);
  std::ostringstream out, err;
  status = trace::run(in, out, err, ".");
  return out.str();
}

// Text that is not UTF-8 reaches the output through error messages that quote bad input and
// through captions; the runner shows it replaced and carries on with the script.
TEST(FuzzRegressions, TraceOutputSurvivesTextThatIsNotUtf8) {
  const std::string bad = "\xF8\xFF";
  int status = -1;
  const std::string out = run_trace(
      "new\nread {\"Caption" + bad + "\":1}\nlet Caption \"A" + bad + "\"\nget Caption\n", status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out.find(bad), std::string::npos) << "raw bytes reached the JSON output";
  const auto error = out.find("{\"error\"");
  const auto value = out.find("{\"value\":\"A\xEF\xBF\xBD");
  ASSERT_NE(error, std::string::npos) << out;
  ASSERT_NE(value, std::string::npos) << "the script stopped early:\n" << out;
  EXPECT_LT(error, value);
}

}  // namespace
}  // namespace brelund
