// One UTF-8 rule for every reader of text: what is drawn, what an access key marks, where an
// underline falls, what a message shows and what a form file accepts agree on broken text, and
// agree with the JSON library's own replacement of it (one U+FFFD per maximal subpart).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "brelund/forms.h"
#include "host/common/caption_rule.h"
#include "host/common/forms/escape.h"
#include "host/common/utf8.h"
#include "host/headless/shaped_line.h"

namespace brelund {
namespace {

// Text that breaks the rule in each way it can, each beside valid text.
const std::vector<std::string> kBroken{
    "a\x80z",                   // a stray continuation byte
    "a\xFFz",                   // a byte UTF-8 never uses
    "a\xC0\x80z",               // an overlong NUL
    "a\xE0\x80\x80z",           // an overlong three-byte form
    "a\xED\xA0\x80z",           // a surrogate
    "a\xF4\x90\x80\x80z",       // past U+10FFFF
    "a\xE2\x82z",               // a cut sequence inside the text
    "a\xE2\x82",                // ... and at its end
    "a\xF0\x9F\x98z",           // a cut four-byte sequence
    "\xC3\xA1\xE2\x82\xC3\xA1"  // a cut sequence between two good ones
};

// What the JSON library draws of the text when told to replace what is not UTF-8.
std::u32string library_reading(const std::string& s) {
  const std::string dumped =
      nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return headless::decode_utf8(nlohmann::json::parse(dumped).get<std::string>());
}

TEST(Utf8, EveryWalkerReadsBrokenTextAsTheJsonLibraryReplacesIt) {
  for (const std::string& s : kBroken) {
    const std::u32string drawn = headless::decode_utf8(s);
    EXPECT_EQ(drawn, library_reading(s)) << testing::PrintToString(s);
    EXPECT_NE(drawn.find(U'\uFFFD'), std::u32string::npos) << testing::PrintToString(s);
    // The underline counts characters as the drawing does.
    EXPECT_EQ(utf8::characters(s, s.size()), drawn.size()) << testing::PrintToString(s);
    // An access key marks one drawn character: every one of them in turn.
    std::size_t at = 0;
    for (std::size_t k = 0; k < drawn.size(); ++k) {
      const std::string marked = s.substr(0, at) + "&" + s.substr(at);
      const auto lines = host::caption_lines(marked);
      ASSERT_EQ(lines.size(), 1u);
      ASSERT_EQ(lines[0].underline, at) << testing::PrintToString(marked);
      const std::string under = s.substr(at, lines[0].underline_bytes);
      EXPECT_EQ(headless::decode_utf8(under), drawn.substr(k, 1)) << testing::PrintToString(s);
      at += lines[0].underline_bytes;
    }
    EXPECT_EQ(at, s.size());
    // A message shows every byte of it, and the broken ones as \xHH.
    const std::string shown = forms::escaped(s);
    EXPECT_EQ(headless::decode_utf8(shown).find(U'\uFFFD'), std::u32string::npos) << shown;
    EXPECT_NE(shown.find("\\x"), std::string::npos) << shown;
    // A form file refuses it, naming where it is, and a save refuses to write it.
    try {
      forms::parse(R"({"Form":{"Caption":")" + s + "\"}}", ".", "t.json");
      ADD_FAILURE() << "read " << testing::PrintToString(s);
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.description()).find("text that is not UTF-8"), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.description()).find("line 1, column 21"), std::string::npos)
          << e.what();
    }
    forms::Form form;
    form.caption = s;
    EXPECT_THROW(forms::to_json(form), Error) << testing::PrintToString(s);
  }
}

TEST(Utf8, WellFormedTextPassesEveryWalkerUnchanged) {
  const std::string s = "a\xC3\xA1\xE7\xA1\xAE\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF\xED\x9F\xBF";
  EXPECT_EQ(headless::decode_utf8(s),
            (std::u32string{U'a', 0xE1, 0x786E, 0x1F600, 0x10FFFF, 0xD7FF}));
  EXPECT_EQ(utf8::characters(s, s.size()), 6u);
  EXPECT_EQ(forms::escaped(s), s);
  EXPECT_EQ(host::caption_lines("&" + s.substr(1))[0].underline_bytes, 2u);
  forms::Form form;
  form.caption = s;
  EXPECT_EQ(forms::parse(forms::to_json(form), ".", "t.json").caption, s);
}

}  // namespace
}  // namespace brelund
