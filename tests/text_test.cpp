// Captions in the headless host: right-to-left scripts come out in visual order and Arabic
// letters join; text that needs no shaping keeps the simple glyph-by-glyph measurement.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/headless/caption_shaping.h"

namespace brelund::headless {
namespace {

Font sans(double size = 12) {
  Font f;
  f.name = "DejaVu Sans";
  f.size = size;
  return f;
}

std::vector<std::size_t> characters_left_to_right(const std::string& text) {
  std::vector<std::size_t> order;
  for (const auto& c : layout_text(sans(), text)) order.push_back(c.character);
  return order;
}

TEST(Text, HebrewRunsRightToLeft) {
  // shin, lamed, vav, final mem: the first letter is drawn rightmost.
  EXPECT_EQ(characters_left_to_right("\u05E9\u05DC\u05D5\u05DD"),
            (std::vector<std::size_t>{3, 2, 1, 0}));
}

TEST(Text, MixedDirectionsKeepEachRunInItsOwnOrder) {
  // "OK " then four Hebrew letters: a left-to-right paragraph with one right-to-left run.
  EXPECT_EQ(characters_left_to_right("OK \u05E9\u05DC\u05D5\u05DD"),
            (std::vector<std::size_t>{0, 1, 2, 6, 5, 4, 3}));
  // A right-to-left paragraph with a number: the digits stay left to right inside it.
  EXPECT_EQ(characters_left_to_right("\u05D0\u05D1 12"), (std::vector<std::size_t>{3, 4, 2, 1, 0}));
}

TEST(Text, ArabicLettersJoin) {
  const unsigned alone = layout_text(sans(), "\u0628").at(0).glyph;  // beh on its own
  const auto three = layout_text(sans(), "\u0628\u0628\u0628");
  ASSERT_EQ(three.size(), 3u);
  // Visual order: the last letter (final form) leftmost, the first (initial form) rightmost.
  EXPECT_EQ(three[0].character, 2u);
  EXPECT_EQ(three[2].character, 0u);
  for (const auto& g : three) EXPECT_NE(g.glyph, alone) << "letter " << g.character;
  EXPECT_NE(three[0].glyph, three[1].glyph);  // final and medial forms differ
  EXPECT_NE(three[1].glyph, three[2].glyph);  // medial and initial forms differ
}

// The columns where two drawings of a caption differ, in a white raster of the caption's size.
std::vector<int> differing_columns(const std::string& a, const std::string& b) {
  const TextSize size = measure_text(sans(), a);
  const auto draw = [&](const std::string& text) {
    Raster r;
    r.resize(size.width + 4, size.height, 0xFFFFFFFFu);
    draw_text(r, 2, 0, sans(), text, 0xFF000000u);
    return r;
  };
  const Raster ra = draw(a), rb = draw(b);
  std::vector<int> columns;
  for (int x = 0; x < ra.width; ++x)
    for (int y = 0; y < ra.height; ++y)
      if (ra.row(y)[x] != rb.row(y)[x]) {
        columns.push_back(x);
        break;
      }
  return columns;
}

TEST(Text, TheFirstLetterOfRightToLeftTextIsDrawnAtTheRight) {
  // The first letter is the rightmost: replacing it changes only the right end.
  const std::string hebrew = "\u05E9\u05DC\u05D5\u05DD\u05D9\u05DD";
  const auto hebrew_changed = differing_columns(hebrew, "\u05D0" + hebrew.substr(2));
  ASSERT_FALSE(hebrew_changed.empty());
  const int hebrew_width = measure_text(sans(), hebrew).width;
  EXPECT_GT(hebrew_changed.front(), hebrew_width * 2 / 3);
  // In Latin text the change starts at the left end (what follows may move with it).
  const auto latin_changed = differing_columns("Shalom", "Xhalom");
  ASSERT_FALSE(latin_changed.empty());
  EXPECT_LT(latin_changed.front(), measure_text(sans(), "Shalom").width / 3);
}

TEST(Text, PositionsGrowLeftToRightAndMatchTheMeasuredWidth) {
  for (const std::string text : {"Aceptar", "Un bot\u00F3n grande", "\u05E9\u05DC\u05D5\u05DD",
                                 "\u0645\u0631\u062D\u0628\u0627"}) {
    const auto placed = layout_text(sans(), text);
    ASSERT_FALSE(placed.empty()) << text;
    EXPECT_TRUE(std::is_sorted(placed.begin(), placed.end(), [](const auto& a, const auto& b) {
      return a.x < b.x;
    })) << text;
    EXPECT_GT(measure_text(sans(), text).width, placed.back().x) << text;
  }
}

TEST(Text, LatinNeedsNoShapingAndIsNotKerned) {
  // Kerning would pull "A" and "V" together; the unshaped path adds the plain advances, so the
  // pair measures what its letters measure alone.
  const Font f = sans(20);
  EXPECT_EQ(measure_text(f, "AV").width, measure_text(f, "A").width + measure_text(f, "V").width);
}

TEST(Text, FamiliesBoldAndItalicPickDifferentFaces) {
  Font plain = sans(), bold = sans(), italic = sans(), serif = sans();
  bold.bold = true;
  italic.italic = true;
  serif.name = "DejaVu Serif";
  const auto first_glyph_width = [](const Font& f) { return measure_text(f, "mmmm").width; };
  EXPECT_GT(first_glyph_width(bold), first_glyph_width(plain));
  EXPECT_NE(first_glyph_width(serif), first_glyph_width(plain));
  // An unknown family still draws, with fontconfig's best match or the DejaVu fallback.
  Font unknown = sans();
  unknown.name = "No Such Family 12345";
  EXPECT_GT(measure_text(unknown, "Hola").width, 0);
}

}  // namespace
}  // namespace brelund::headless
