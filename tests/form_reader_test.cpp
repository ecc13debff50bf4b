// Where the form reader places a fault in a text that is not JSON, and what it calls it: at the
// last character of a token it did not expect (shown from the start of its word), inside a
// string or a number at the character that breaks it. Messages have always placed faults so;
// the JSON library underneath says where a fault begins, and the reader must move from the one
// to the other for every kind of fault.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brelund/error.h"
#include "brelund/forms.h"

namespace brelund {
namespace {

std::string message_of(const std::string& text) {
  try {
    forms::parse(text, ".", "f.json");
  } catch (const Error& e) {
    return e.description();
  }
  return "(read without an error)";
}

const std::string kBadString =
    "a string with a control character, a bad escape or text that is not UTF-8";

TEST(FormReader, PlacesEachKindOfFaultWhereMessagesAlwaysHave) {
  struct Case {
    std::string text, message;
  };
  const std::vector<Case> cases = {
      // Tokens that were not expected: a string, a number cut short, a word cut short.
      {R"({"a" "b"})", "line 1, column 7: unexpected \"b\""},
      {R"({"Form":{"Width":-}})", "line 1, column 19: unexpected \"}\""},
      {R"({"a":1.})", "line 1, column 8: unexpected \"}\""},
      {"[1 2.5e]", "line 1, column 6: unexpected \"5e\""},
      {R"({"a":tru})", "line 1, column 6: unexpected \"tru\""},
      // Strings that break: a short \u escape, lone surrogates, cut and overlong sequences, a
      // control character inside a string that was not expected at all.
      {R"({"a":"x\u12"})", "line 1, column 9: " + kBadString},
      {R"({"a":"\udc00"})", "line 1, column 8: " + kBadString},
      {R"({"a":"ok\ud800x"})", "line 1, column 10: " + kBadString},
      {"{\"a\":\"\xE2\x82\"}", "line 1, column 7: " + kBadString},
      {"{\"a\":\"\xC0\x80\"}", "line 1, column 7: " + kBadString},
      {"{\"a\":1 \"b\x01\"}", "line 1, column 9: " + kBadString},
  };
  for (const Case& c : cases)
    EXPECT_EQ(message_of(c.text), "f.json: malformed JSON at " + c.message) << c.text;
}

// Keys given twice are found in objects of any size (a large one is searched another way),
// the first in the order of the text.
TEST(FormReader, FindsTheFirstKeyGivenTwiceInALargeObject) {
  std::string properties;
  for (int i = 0; i < 20; ++i) properties += "\"k" + std::to_string(i) + "\":0,";
  const std::string text = R"({"Controls":[{"Properties":{)" + properties + R"("k3":1,"k5":1}}]})";
  EXPECT_EQ(message_of(text), "f.json: control \"#1\": key \"k3\": the key is given twice");
}

// A zero byte does not end the text: what follows the form is refused, not dropped unread.
TEST(FormReader, RefusesWhatFollowsTheFormAfterAZeroByte) {
  const std::string text = std::string(R"({"Form":{"Width":10}})") + '\0' + "junk";
  EXPECT_EQ(message_of(text), "f.json: malformed JSON at line 1, column 22: unexpected \"\\x00\"");
}

// A sequence cut off by the end of the text is refused; its bytes are looked at inside the text
// (the sanitizer builds catch a read past it).
TEST(FormReader, RefusesASequenceCutOffByTheEnd) {
  for (const char* lead : {"\xC3", "\xE2\x82", "\xF0", "\xF0\x9F\x98"}) {
    const std::string message = message_of(std::string(R"({"Form":{"Caption":")") + lead);
    EXPECT_NE(message.find("f.json: "), std::string::npos) << message;
    EXPECT_NE(message, "(read without an error)");
  }
}

// Exponents past any double's are refused before the number is read, small or large; one in a
// string is only text.
TEST(FormReader, RefusesExponentsPastAnyDouble) {
  for (const char* n : {"1e-585521281", "1e401", "0.5E+99999999999", "2e-0000401"})
    EXPECT_EQ(message_of(std::string(R"({"Form":{"Width":)") + n + "}}"),
              "f.json: malformed JSON: a number too large")
        << n;
  EXPECT_EQ(message_of(R"({"Form":{"Caption":"1e999"}})"), "(read without an error)");
  // Zero is zero whatever its exponent.
  EXPECT_EQ(forms::parse(R"({"Form":{"Width":0.00e0999}})", ".", "f.json").width, 0);
}

}  // namespace
}  // namespace brelund
