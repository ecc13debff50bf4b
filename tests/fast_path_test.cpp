// The fast paths against the plain ones they stand for: rows drawn in batches against the same
// rows as single lines, the wide fill against its exact span, and cached caption sizes against
// FreeType's own walk over the glyphs. Any difference here would be a changed pixel.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "brelund/headless/button.h"
#include "brelund/raster.h"
#include "host/common/canvas.h"
#include "host/headless/caption_shaping.h"
#include "host/headless/internals.h"

namespace brelund {
namespace {

using Row = host::Surface::Row;

TEST(FastPaths, BatchedRowsDrawWhatSingleLinesDraw) {
  std::mt19937 rng(16);
  std::uniform_real_distribution<float> unit(-3, 60);
  for (int trial = 0; trial < 300; ++trial) {
    Canvas lines, batched;
    const float w = static_cast<float>(15 * (1 + trial % 40)),
                h = static_cast<float>(15 * (1 + trial % 23));
    lines.resize(w, h);
    batched.resize(w, h);
    const float sh = static_cast<float>(1 + trial % 50),
                sw = trial % 3 == 0 ? 1.0f : 0.5f + trial % 4;
    for (Canvas* c : {&lines, &batched}) {
      c->set_scale_height(sh);
      c->set_scale_width(sw);
      // Something already pending on some row: a narrower span, which a full row must not drop.
      c->line(0.1f, 2, 0.3f, 2, 0x123456);
    }
    std::vector<Row> rows;
    for (int i = 0; i < 1 + trial % 90; ++i) {
      // Whole units as the face draws them, and odd ones that must map the same way; now and
      // then a run of rows upward or downward, also off the edges and of no rows at all.
      const float y = trial % 2 ? std::floor(unit(rng)) : unit(rng);
      const auto count = static_cast<std::int32_t>(rng() % 5 == 0 ? rng() % 70 : 1);
      const std::int32_t step = rng() % 2 ? 1 : -1;
      rows.push_back({y, static_cast<OleColor>(rng() & 0xFFFFFF), count, step});
    }
    for (const Row& r : rows)
      for (std::int32_t j = 0; j < r.count; ++j) lines.line(0, r.y_at(j), 1, r.y_at(j), r.rgb);
    batched.rows(rows.data(), static_cast<int>(rows.size()));
    // Columns after the rows go in with them: more than are held back at once, crossing each
    // other and the batch's ends, some off the raster; then a row, and the same rows once more.
    const int columns = static_cast<int>(rng() % 12);
    std::uniform_real_distribution<float> across(-1, sw + 1), down(-sh / 2, sh * 1.5f);
    for (int k = 0; k < columns; ++k) {
      const float x = trial % 3 ? std::floor(across(rng)) : across(rng);
      const float y1 = down(rng), y2 = down(rng);
      const auto rgb = static_cast<OleColor>(rng() & 0xFFFFFF);
      for (Canvas* c : {&lines, &batched}) c->line(x, y1, x, y2, rgb);
    }
    if (trial % 4 == 0) {
      for (Canvas* c : {&lines, &batched}) {
        c->line(0, sh / 3, 1, sh / 3, 0x445566);
        c->line(0, 0, 0, sh, 0x778899);  // over the row just drawn, not under it
      }
      for (const Row& r : rows)
        for (std::int32_t j = 0; j < r.count; ++j) lines.line(0, r.y_at(j), 1, r.y_at(j), r.rgb);
      batched.rows(rows.data(), static_cast<int>(rows.size()));
      for (Canvas* c : {&lines, &batched}) c->line(0, 0, 0, sh, 0xABCDEF);
    }
    ASSERT_EQ(lines.raster().pixels, batched.raster().pixels) << "trial " << trial;
  }
}

// A line hook makes the headless surface draw every row as its own line, so the same button
// drawn with and without one compares the painter's batches with the rows one by one.
TEST(FastPaths, FacesDrawnInBatchesMatchFacesDrawnLineByLine) {
  auto measure = [](const Font&, const std::string&) { return headless::TextSize{40, 13}; };
  struct Look {
    int width, height;
    std::int32_t light, roundness;
    bool enabled;
  };
  for (const Look& look :
       {Look{197, 57, 45, 20, true}, Look{400, 120, -60, 0, true}, Look{31, 9, 300, 150, false},
        Look{1024, 33, 0, 50, true}, Look{60, 400, 45, 100, false}}) {
    headless::Button plain(nullptr, nullptr, measure), hooked(nullptr, nullptr, measure);
    struct Counter : host::Watcher {
      int lines = 0;
      void line(float, float, float, float, OleColor) override { ++lines; }
    } counter;
    internals(hooked).surface.watch(&counter);
    const int& hooked_lines = counter.lines;
    for (headless::Button* b : {&plain, &hooked}) {
      b->control().InitProperties();
      b->resize(static_cast<float>(look.width * 15), static_cast<float>(look.height * 15));
      b->control().set_Light(look.light);
      b->control().set_Roundness3D(look.roundness);
      b->control().set_Enabled(to_bool16(look.enabled));
      b->control().Show();
    }
    EXPECT_GT(hooked_lines, look.height) << "the hook saw every row";
    EXPECT_EQ(internals(plain).surface.pixels().pixels, internals(hooked).surface.pixels().pixels);
    // Lit and pressed: focus, then the left button held down over the face.
    for (headless::Button* b : {&plain, &hooked}) {
      b->control().GotFocus();
      b->pointer_over();
      std::int16_t button = 1, shift = 0;
      float x = 300, y = 150;
      b->control().MouseDown(button, shift, x, y);
    }
    EXPECT_EQ(internals(plain).surface.pixels().pixels, internals(hooked).surface.pixels().pixels);
  }
}

// A rebuild that keeps the shape keeps the very mask the surface shows, at the cost of its runs
// alone; a new shape is a new mask, and one that anyone still holds stays as it was.
TEST(FastPaths, MaskIsKeptWhileTheShapeIsAndNeverChangedUnderAHolder) {
  auto measure = [](const Font&, const std::string&) { return headless::TextSize{40, 13}; };
  headless::Button b(nullptr, nullptr, measure);
  b.control().InitProperties();
  b.control().Show();
  const MaskRef first = internals(b).surface.mask_picture();
  ASSERT_TRUE(first);
  b.control().set_Caption("Another");
  b.control().CreaNuevaRegion();
  EXPECT_EQ(internals(b).surface.mask_picture().get(), first.get());
  // One run a row: far less than the 44916 bytes a picture of 197 x 57 pixels takes.
  EXPECT_LT(internals(b).mask.bytes_held(), 1024u);
  const PictureRef kept_picture = first->picture();
  b.control().set_RoundSize(0);
  EXPECT_NE(internals(b).surface.mask_picture().get(), first.get());
  EXPECT_NE(internals(b).surface.mask_picture()->handle(), first->handle());
  EXPECT_EQ(first->picture()->pixels, kept_picture->pixels) << "a held mask changed";
  // Square corners: the platform's round rectangle, one row and column short.
  EXPECT_EQ(internals(b).surface.mask_picture()->area(), 196 * 56);
  // Back to the first shape: the same pixels a fresh button has.
  b.control().set_RoundSize(20);
  headless::Button fresh(nullptr, nullptr, measure);
  fresh.control().InitProperties();
  fresh.control().Show();
  EXPECT_EQ(*internals(b).surface.mask_picture(), *internals(fresh).surface.mask_picture());
  EXPECT_EQ(*internals(b).surface.mask_picture(), *first);
}

TEST(FastPaths, WideFillWritesExactlyItsSpan) {
  constexpr std::uint32_t kGuard = 0xDEADBEEFu, kValue = 0x01020304u;
  for (std::size_t offset = 0; offset < 9; ++offset)
    for (std::size_t n = 0; n < 140; ++n) {
      std::vector<std::uint32_t> buf(offset + n + 16, kGuard);
      fill_pixels(buf.data() + offset, n, kValue);
      for (std::size_t i = 0; i < buf.size(); ++i)
        ASSERT_EQ(buf[i], i >= offset && i < offset + n ? kValue : kGuard)
            << "offset " << offset << " count " << n << " at " << i;
    }
}

// FreeType's own answer, glyph by glyph with the glyphs rendered, as captions are drawn.
headless::TextSize walked(const std::string& file, double points, const std::u32string& text) {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) != 0) return {};
  headless::TextSize size;
  if (FT_New_Face(lib, file.c_str(), 0, &face) == 0) {
    FT_Set_Char_Size(face, 0, std::lround(points * 96.0 / 72.0 * 64), 72, 72);
    long pen = 0;
    for (char32_t cp : text)
      if (FT_Load_Char(face, cp, FT_LOAD_RENDER) == 0) pen += face->glyph->advance.x;
    size = {static_cast<int>((pen + 63) >> 6),
            static_cast<int>((face->size->metrics.height + 63) >> 6)};
    FT_Done_Face(face);
  }
  FT_Done_FreeType(lib);
  return size;
}

TEST(FastPaths, CachedCaptionSizesAreFreeTypesOwn) {
  const std::string dir = "/usr/share/fonts/truetype/dejavu/";
  struct Case {
    std::string name;
    bool bold;
    double size;
    std::string file;
  };
  const Case cases[] = {{"DejaVu Sans", false, 8.25, dir + "DejaVuSans.ttf"},
                        {"DejaVu Sans", true, 12, dir + "DejaVuSans-Bold.ttf"},
                        {"DejaVu Serif", false, 30, dir + "DejaVuSerif.ttf"},
                        {"DejaVu Sans", false, 9, dir + "DejaVuSans.ttf"}};
  const std::pair<std::string, std::u32string> texts[] = {
      {"Bot\xC3\xB3n", U"Bot\u00F3n"},
      {"Aceptar", U"Aceptar"},
      {"", U""},
      {"Guarda los cambios \xE2\x82\xAC", U"Guarda los cambios \u20AC"},
      {"\xCD\xB8 x", U"\u0378 x"}};  // unassigned: no face has it, no fallback either
  // Twice round, so that the second answers come from the cache, the sizes interleaved.
  for (int round = 0; round < 2; ++round)
    for (const Case& c : cases)
      for (const auto& [utf8, text] : texts) {
        Font f;
        f.name = c.name;
        f.bold = c.bold;
        f.size = c.size;
        const headless::TextSize want = walked(c.file, c.size, text);
        if (want.height == 0) GTEST_SKIP() << "DejaVu fonts are not installed";
        const headless::TextSize got = headless::measure_text(f, utf8);
        EXPECT_EQ(got.width, want.width) << c.file << " " << c.size << " '" << utf8 << "'";
        EXPECT_EQ(got.height, want.height) << c.file << " " << c.size << " '" << utf8 << "'";
      }
}

}  // namespace
}  // namespace brelund
