// Captions on the headless host: marks and line breaks as the caption rule reads them, lines
// centred in the caption's box, and characters the face lacks drawn from a fallback face.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <memory>

#include "host/headless/caption_box.h"
#include "host/headless/caption_shaping.h"

namespace brelund::headless {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

Font sans() {
  Font f;
  f.name = "DejaVu Sans";
  f.size = 12;
  return f;
}

Raster white(int w, int h) {
  Raster r;
  r.resize(w, h, kWhite);
  return r;
}

Raster caption(const std::string& text, int w = 160, int h = 60) {
  Raster r = white(w, h);
  draw_caption(r, 0, 0, sans(), text, kBlack);
  return r;
}

bool same(const Raster& a, const Raster& b) { return a.pixels == b.pixels; }

// The rows in which a and b differ.
std::vector<int> differing_rows(const Raster& a, const Raster& b) {
  std::vector<int> rows;
  for (int y = 0; y < a.height; ++y)
    if (!std::equal(a.row(y), a.row(y) + a.width, b.row(y))) rows.push_back(y);
  return rows;
}

TEST(Caption, PlainCaptionsMeasureAndDrawAsOneLine) {
  for (const std::string text : {"Aceptar", "", "\u05E9\u05DC\u05D5\u05DD"}) {
    EXPECT_EQ(measure_caption(sans(), text).width, measure_text(sans(), text).width) << text;
    EXPECT_EQ(measure_caption(sans(), text).height, measure_text(sans(), text).height) << text;
    Raster line = white(160, 60);
    draw_text(line, 0, 0, sans(), text, kBlack);
    EXPECT_TRUE(same(caption(text), line)) << text;
  }
}

TEST(Caption, MarksAreNotMeasuredAndTwoAmpersandsMeasureAsOne) {
  EXPECT_EQ(measure_caption(sans(), "&Yes").width, measure_text(sans(), "Yes").width);
  EXPECT_EQ(measure_caption(sans(), "Save && Exit").width,
            measure_text(sans(), "Save & Exit").width);
  EXPECT_EQ(measure_caption(sans(), "Yes&").width, measure_text(sans(), "Yes&").width);
  EXPECT_EQ(measure_caption(sans(), "&Yes").height, measure_text(sans(), "Yes").height);
}

TEST(Caption, TheMarkedCharacterIsUnderlinedOnePixelBelowTheBaseline) {
  const Raster marked = caption("Y&es"), plain = caption("Yes");
  const int row = text_ascent(sans()) + 1;
  ASSERT_EQ(differing_rows(marked, plain), std::vector<int>{row});
  // Under the "e" only, from where its advance starts to one pixel before the next letter's.
  const int e = measure_text(sans(), "Y").width, s = measure_text(sans(), "Ye").width;
  for (int x = 0; x < marked.width; ++x)
    EXPECT_EQ(marked.row(row)[x], x >= e && x < s - 1 ? kBlack : plain.row(row)[x]) << x;
  // "&&" underlines nothing: it is the line "Save & Exit" as drawn.
  Raster ampersand = white(160, 60);
  draw_text(ampersand, 0, 0, sans(), "Save & Exit", kBlack);
  EXPECT_TRUE(same(caption("Save && Exit"), ampersand));
}

TEST(Caption, TwoLinesMeasureTheWidestLineByTwoLineHeights) {
  const TextSize one = measure_text(sans(), "Line one"), two = measure_text(sans(), "Two");
  ASSERT_GT(one.width, two.width);
  for (const std::string text : {"Line one\r\nTwo", "Line one\nTwo", "Two\nLine one"}) {
    const TextSize box = measure_caption(sans(), text);
    EXPECT_EQ(box.width, one.width) << text;
    EXPECT_EQ(box.height, 2 * one.height) << text;
  }
  EXPECT_EQ(measure_caption(sans(), "A\r\n\r\nB").height, 3 * one.height);
  EXPECT_EQ(measure_caption(sans(), "One\r\n").height, one.height);
}

TEST(Caption, EachLineIsCentredInTheBox) {
  const TextSize one = measure_text(sans(), "Line one"), two = measure_text(sans(), "Two");
  Raster want = white(160, 60);
  draw_text(want, 0, 0, sans(), "Line one", kBlack);
  draw_text(want, (one.width - two.width) / 2, one.height, sans(), "Two", kBlack);
  EXPECT_TRUE(same(caption("Line one\r\nTwo"), want));
  EXPECT_TRUE(same(caption("Line one\nTwo"), want));
  // The shorter line first: it is the one moved right.
  Raster first_short = white(160, 60);
  draw_text(first_short, (one.width - two.width) / 2, 0, sans(), "Two", kBlack);
  draw_text(first_short, 0, one.height, sans(), "Line one", kBlack);
  EXPECT_TRUE(same(caption("Two\nLine one"), first_short));
}

// True when fontconfig knows an installed face with the character.
bool some_face_has(FcChar32 c) {
  std::unique_ptr<FcCharSet, decltype(&FcCharSetDestroy)> chars(FcCharSetCreate(),
                                                                FcCharSetDestroy);
  FcCharSetAddChar(chars.get(), c);
  std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(),
                                                                  FcPatternDestroy);
  FcPatternAddCharSet(pattern.get(), FC_CHARSET, chars.get());
  std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(
      FcObjectSetBuild(FC_FILE, nullptr), FcObjectSetDestroy);
  std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(
      FcFontList(nullptr, pattern.get(), objects.get()), FcFontSetDestroy);
  return fonts && fonts->nfont > 0;
}

TEST(Caption, CharactersTheFaceLacksComeFromAFallbackFace) {
  if (!some_face_has(0x786E)) GTEST_SKIP() << "no CJK face is installed (fonts-wqy-microhei)";
  // DejaVu Sans has no CJK: each character gets a real glyph of another face, not glyph 0
  // (the missing-glyph box), while the Latin letters keep DejaVu's own glyphs.
  const auto mixed = layout_text(sans(), "OK \u786E\u5B9A");
  const auto latin = layout_text(sans(), "OK");
  ASSERT_EQ(mixed.size(), 5u);
  EXPECT_EQ(mixed[0].glyph, latin[0].glyph);
  EXPECT_EQ(mixed[1].glyph, latin[1].glyph);
  EXPECT_NE(mixed[3].glyph, 0u);
  EXPECT_NE(mixed[4].glyph, 0u);
  EXPECT_NE(mixed[3].glyph, mixed[4].glyph);
  // A character that no face has still shows the box.
  EXPECT_EQ(layout_text(sans(), "\u0378").at(0).glyph, 0u);

  // Drawn: ink, and not the box: two CJK characters look different from each other and from it.
  const Raster box = caption("\u0378"), que = caption("\u786E"), ding = caption("\u5B9A");
  const Raster none = white(160, 60);
  EXPECT_FALSE(same(que, none));
  EXPECT_FALSE(same(que, box));
  EXPECT_FALSE(same(que, ding));
  // The line keeps the caption's own face's height.
  EXPECT_EQ(measure_text(sans(), "\u786E\u5B9A").height, measure_text(sans(), "OK").height);
  EXPECT_GT(measure_text(sans(), "\u786E\u5B9A").width, measure_text(sans(), "\u0378\u0378").width);
}

}  // namespace
}  // namespace brelund::headless
