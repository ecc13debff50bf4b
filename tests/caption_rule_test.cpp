// The one caption rule every host reads captions by: access-key marks and line breaks.
#include <gtest/gtest.h>

#include "host/common/caption_rule.h"

namespace brelund::host {
namespace {

CaptionLine line(std::string text, std::optional<std::size_t> underline = std::nullopt,
                 std::size_t bytes = 0) {
  return {std::move(text), underline, underline ? bytes : 0};
}

using Lines = std::vector<CaptionLine>;

TEST(CaptionRule, AnAmpersandUnderlinesTheNextCharacterAndIsNotDrawn) {
  EXPECT_EQ(caption_lines("&Yes"), (Lines{line("Yes", 0, 1)}));
  EXPECT_EQ(caption_lines("Save &as"), (Lines{line("Save as", 5, 1)}));
  // The character is a whole code point, however many bytes it takes.
  EXPECT_EQ(caption_lines("&\xC3\xB1o"), (Lines{line("\xC3\xB1o", 0, 2)}));          // ñ
  EXPECT_EQ(caption_lines("O&\xE7\xA1\xAE"), (Lines{line("O\xE7\xA1\xAE", 1, 3)}));  // 确
  // A space can be marked too, as DrawText marks it.
  EXPECT_EQ(caption_lines("a& b"), (Lines{line("a b", 1, 1)}));
}

TEST(CaptionRule, TwoAmpersandsDrawOne) {
  EXPECT_EQ(caption_lines("Save && Exit"), (Lines{line("Save & Exit")}));
  EXPECT_EQ(caption_lines("&&"), (Lines{line("&")}));
  // A literal ampersand, then a mark.
  EXPECT_EQ(caption_lines("&&&x"), (Lines{line("&x", 1, 1)}));
}

TEST(CaptionRule, ALoneAmpersandAtTheEndIsDrawnAndOneBeforeABreakIsHidden) {
  EXPECT_EQ(caption_lines("Yes&"), (Lines{line("Yes&")}));
  EXPECT_EQ(caption_lines("&"), (Lines{line("&")}));
  EXPECT_EQ(caption_lines("a&\r\nb"), (Lines{line("a"), line("b")}));
  EXPECT_EQ(caption_lines("a&\nb"), (Lines{line("a"), line("b")}));
  // A mark before the first byte of a sequence cut short takes only what there is.
  EXPECT_EQ(caption_lines("a&\xE7\xA1"), (Lines{line("a\xE7\xA1", 1, 2)}));
}

TEST(CaptionRule, TheLastMarkOfALineIsUnderlined) {
  EXPECT_EQ(caption_lines("&a&b"), (Lines{line("ab", 1, 1)}));
  // Each line keeps its own.
  EXPECT_EQ(caption_lines("&One\r\nT&wo"), (Lines{line("One", 0, 1), line("Two", 1, 1)}));
}

TEST(CaptionRule, LineBreaks) {
  const Lines two{line("One"), line("Two")};
  EXPECT_EQ(caption_lines("One\r\nTwo"), two);
  EXPECT_EQ(caption_lines("One\nTwo"), two);
  EXPECT_EQ(caption_lines("One\rTwo"), two);
  EXPECT_EQ(caption_lines("One\n\rTwo"), two);
  // Two breaks of one kind are two: the line between them is empty.
  EXPECT_EQ(caption_lines("One\n\nTwo"), (Lines{line("One"), line(""), line("Two")}));
  EXPECT_EQ(caption_lines("One\r\n\r\nTwo"), (Lines{line("One"), line(""), line("Two")}));
  EXPECT_EQ(caption_lines("One\r\rTwo"), (Lines{line("One"), line(""), line("Two")}));
  // A break at the end opens no line; one at the start leaves an empty first line.
  EXPECT_EQ(caption_lines("One\r\n"), (Lines{line("One")}));
  EXPECT_EQ(caption_lines("\r\n"), (Lines{line("")}));
  EXPECT_EQ(caption_lines("\nOne"), (Lines{line(""), line("One")}));
  EXPECT_EQ(caption_lines(""), (Lines{line("")}));
}

TEST(CaptionRule, OnlyCaptionsWithoutMarksOrBreaksArePlain) {
  EXPECT_TRUE(plain_caption(""));
  EXPECT_TRUE(plain_caption("Bot\xC3\xB3n"));
  EXPECT_FALSE(plain_caption("&"));
  EXPECT_FALSE(plain_caption("a\nb"));
  EXPECT_FALSE(plain_caption("a\rb"));
}

// A toolkit that reads the marks itself must draw what the rule drew: one mark, before the
// underlined character (the last of several), and every literal `&` doubled.
TEST(CaptionRule, ALineMarkedAgainReadsAsTheRuleReadIt) {
  const auto marked = [](std::string_view caption) {
    std::vector<std::string> out;
    for (const auto& l : caption_lines(caption)) out.push_back(marked_line(l));
    return out;
  };
  using Marked = std::vector<std::string>;
  EXPECT_EQ(marked("&Save"), Marked{"&Save"});
  EXPECT_EQ(marked("R&&D &Now"), Marked{"R&&D &Now"});
  EXPECT_EQ(marked("&a&b"), Marked{"a&b"});
  EXPECT_EQ(marked("A &\nB&"), (Marked{"A ", "B&&"}));
  EXPECT_EQ(marked("&\xC3\xB3k"), Marked{"&\xC3\xB3k"});
  EXPECT_EQ(marked(""), Marked{""});
}

TEST(CaptionRule, LinesAreCentredAsDrawTextCentresThem) {
  EXPECT_EQ(centred_offset(68, 30), 19);
  EXPECT_EQ(centred_offset(68, 31), 18);  // half a pixel is dropped
  EXPECT_EQ(centred_offset(68, 68), 0);
}

}  // namespace
}  // namespace brelund::host
