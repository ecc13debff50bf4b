// Captions are laid out in one of two ways. Text that needs no shaping (every character below
// the combining marks, U+0300: Latin, Latin-1 and Latin Extended) goes glyph by glyph through
// the font's character map with FreeType's hinted advances and no kerning, as this host always
// measured it: a caption's size decides the layout, and HarfBuzz would kern such text and use the
// font's unhinted advances, moving captions by a pixel. Anything else is ordered by FriBidi
// (Unicode bidirectional algorithm) and shaped run by run by HarfBuzz (joining, marks, ligatures).
#include "host/headless/text.h"

#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "host/headless/font_faces.h"

namespace brelund::headless {

namespace {

std::u32string decode_utf8(const std::string& s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t cp = len == 1 ? c : c & (0x7F >> len);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    out.push_back(cp);
    i += len;
  }
  return out;
}

bool needs_shaping(std::u32string_view text) {
  return std::any_of(text.begin(), text.end(), [](char32_t c) { return c >= 0x300; });
}

// Points at 96 dots per inch, in 26.6 fixed point pixels.
FT_F26Dot6 pixel_size_26_6(const Font& f) {
  const double px = std::clamp(f.size, 1.0, 500.0) * 96.0 / 72.0;
  return static_cast<FT_F26Dot6>(std::lround(px * 64));
}

struct Glyph {
  unsigned index;       // in the face
  long x, y;            // pen position of the glyph's origin, 26.6, y down
  std::size_t cluster;  // the first character (logical index) the glyph shows
};

struct Line {
  std::vector<Glyph> glyphs;  // in visual order, left to right
  long advance = 0;           // 26.6
};

Line simple_line(FT_Face face, std::u32string_view text) {
  Line line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned index = FT_Get_Char_Index(face, text[i]);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) continue;
    line.glyphs.push_back({index, line.advance, 0, i});
    line.advance += face->glyph->advance.x;
  }
  return line;
}

struct HbBufferDeleter {
  void operator()(hb_buffer_t* b) const { hb_buffer_destroy(b); }
};
struct HbFontDeleter {
  void operator()(hb_font_t* f) const { hb_font_destroy(f); }
};

// A run of characters at one embedding level, in logical order.
struct Run {
  std::size_t start, length;
  FriBidiLevel level;
};

// The runs in visual order: from the highest level down to the lowest odd one, every stretch of
// runs at that level or above is reversed (rule L2 of the bidirectional algorithm).
std::vector<Run> visual_runs(std::u32string_view text) {
  const auto n = static_cast<FriBidiStrIndex>(text.size());
  std::vector<FriBidiChar> chars(text.begin(), text.end());
  std::vector<FriBidiCharType> types(text.size());
  std::vector<FriBidiBracketType> brackets(text.size());
  std::vector<FriBidiLevel> levels(text.size());
  fribidi_get_bidi_types(chars.data(), n, types.data());
  fribidi_get_bracket_types(chars.data(), n, types.data(), brackets.data());
  FriBidiParType base = FRIBIDI_PAR_ON;
  if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), n, &base, levels.data()) ==
      0)
    std::fill(levels.begin(), levels.end(), FriBidiLevel{0});
  std::vector<Run> runs;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (runs.empty() || runs.back().level != levels[i]) runs.push_back({i, 0, levels[i]});
    ++runs.back().length;
  }
  int highest = 0, lowest_odd = 127;
  for (const Run& r : runs) {
    highest = std::max(highest, static_cast<int>(r.level));
    if (r.level % 2) lowest_odd = std::min(lowest_odd, static_cast<int>(r.level));
  }
  for (int level = highest; level >= lowest_odd && level > 0; --level) {
    for (auto it = runs.begin(); it != runs.end();) {
      if (it->level < level) {
        ++it;
        continue;
      }
      auto end = std::find_if(it, runs.end(), [&](const Run& r) { return r.level < level; });
      std::reverse(it, end);
      it = end;
    }
  }
  return runs;
}

Line shaped_line(FT_Face face, std::u32string_view text) {
  Line line;
  std::unique_ptr<hb_font_t, HbFontDeleter> font(hb_ft_font_create_referenced(face));
  // Hinted advances, as the simple path measures.
  hb_ft_font_set_load_flags(font.get(), FT_LOAD_DEFAULT);
  std::vector<std::uint32_t> chars(text.begin(), text.end());
  for (const Run& run : visual_runs(text)) {
    std::unique_ptr<hb_buffer_t, HbBufferDeleter> buffer(hb_buffer_create());
    // The whole text is the context, so that letters join across run boundaries.
    hb_buffer_add_utf32(buffer.get(), chars.data(), static_cast<int>(chars.size()),
                        static_cast<unsigned>(run.start), static_cast<int>(run.length));
    hb_buffer_guess_segment_properties(buffer.get());
    hb_buffer_set_direction(buffer.get(), run.level % 2 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_shape(font.get(), buffer.get(), nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), &count);
    for (unsigned g = 0; g < count; ++g) {
      line.glyphs.push_back(
          {info[g].codepoint, line.advance + pos[g].x_offset, -pos[g].y_offset, info[g].cluster});
      line.advance += pos[g].x_advance;
    }
  }
  return line;
}

template <class Draw>
TextSize walk(const Font& font, const std::string& utf8, Draw&& draw) {
  auto& faces = FontFaces::instance();
  std::lock_guard lock(faces.mutex);
  const std::u32string text = decode_utf8(utf8);
  FT_Face face = faces.face(font, text);
  if (!face) return {};
  FT_Set_Char_Size(face, 0, pixel_size_26_6(font), 72, 72);
  const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  const int height = static_cast<int>((face->size->metrics.height + 63) >> 6);
  const Line line = needs_shaping(text) ? shaped_line(face, text) : simple_line(face, text);
  draw(face, line, ascent);
  return {static_cast<int>((line.advance + 63) >> 6), height};
}

}  // namespace

TextSize measure_text(const Font& font, const std::string& utf8) {
  return walk(font, utf8, [](FT_Face, const Line&, int) {});
}

std::vector<PlacedCluster> layout_text(const Font& font, const std::string& utf8) {
  std::vector<PlacedCluster> out;
  walk(font, utf8, [&](FT_Face, const Line& line, int) {
    for (const Glyph& g : line.glyphs)
      out.push_back({g.cluster, static_cast<int>(g.x >> 6), g.index});
  });
  return out;
}

void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t argb) {
  const TextSize size = walk(font, utf8, [&](FT_Face face, const Line& line, int ascent) {
    for (const Glyph& glyph : line.glyphs) {
      if (FT_Load_Glyph(face, glyph.index, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot g = face->glyph;
      const FT_Bitmap& bm = g->bitmap;
      const int gx = x + static_cast<int>(glyph.x >> 6) + g->bitmap_left;
      const int gy = y + ascent + static_cast<int>(glyph.y >> 6) - g->bitmap_top;
      for (unsigned r = 0; r < bm.rows; ++r) {
        const int py = gy + static_cast<int>(r);
        if (py < 0 || py >= dst.height) continue;
        for (unsigned c = 0; c < bm.width; ++c) {
          const int px = gx + static_cast<int>(c);
          if (px < 0 || px >= dst.width) continue;
          const unsigned a = bm.buffer[r * static_cast<unsigned>(bm.pitch) + c];
          if (a == 0) continue;
          std::uint32_t& d = dst.row(py)[px];
          auto mix = [&](int shift) {
            const unsigned s = (argb >> shift) & 0xFF, t = (d >> shift) & 0xFF;
            return ((s * a + t * (255 - a) + 127) / 255) << shift;
          };
          d = (d & 0xFF000000u) | mix(16) | mix(8) | mix(0);
        }
      }
    }
  });
  // Underline and strikethrough are drawn as one-pixel rules across the caption.
  auto rule = [&](int ry) { dst.fill_span(ry, x, x + size.width, argb); };
  if (font.underline) rule(y + size.height * 85 / 100);
  if (font.strikethrough) rule(y + size.height * 55 / 100);
}

}  // namespace brelund::headless
