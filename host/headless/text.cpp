// Captions are laid out in one of two ways. Text that needs no shaping (scripts whose letters
// stand alone, such as Latin, Greek, Cyrillic, CJK, with symbols and emoji; no combining marks,
// no format controls) goes glyph by glyph through the font's character map with FreeType's
// hinted advances and no kerning, as this host always measured it: a caption's size decides the
// layout, and HarfBuzz would kern such text ("To", "AV") and, with its default load flags, use
// the font's unhinted advances, moving captions by one to three pixels. Everything else is
// ordered by FriBidi (the Unicode bidirectional algorithm) and shaped run by run by HarfBuzz
// (joining, marks, ligatures).
//
// Over 300 lines: the two layouts, the bidirectional reordering, the cache of advances and the
// one glyph blender share the face lock and the Line type; apart they would only pass those
// around.
#include "host/headless/text.h"

#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
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
  hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
  return std::any_of(text.begin(), text.end(), [&](char32_t c) {
    if (c < 0x300) return false;  // Latin, Latin-1, Latin Extended: the common case
    switch (hb_unicode_general_category(unicode, c)) {
      case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
      case HB_UNICODE_GENERAL_CATEGORY_FORMAT:  // joiners, direction marks and overrides
        return true;
      default:
        break;
    }
    switch (hb_unicode_script(unicode, c)) {
      case HB_SCRIPT_COMMON:
      case HB_SCRIPT_LATIN:
      case HB_SCRIPT_GREEK:
      case HB_SCRIPT_CYRILLIC:
      case HB_SCRIPT_ARMENIAN:
      case HB_SCRIPT_GEORGIAN:
      case HB_SCRIPT_HAN:
      case HB_SCRIPT_HIRAGANA:
      case HB_SCRIPT_KATAKANA:
      case HB_SCRIPT_BOPOMOFO:
      case HB_SCRIPT_UNKNOWN:
        return false;
      default:
        return true;  // right-to-left, Indic, South-East Asian and other shaped scripts
    }
  });
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

namespace {

// A caption's size is its line height and the sum of its glyphs' hinted advances, and running a
// glyph's hinting program costs far more than drawing a face; a form of many buttons measures
// the same few dozen glyphs again and again. So for unshaped text the advances are kept per face
// and pixel size, and a caption is measured by adding them up exactly as simple_line does.
// Faces stay open for the life of the process, so a face's address names it. Bounded so that
// text in many scripts cannot grow it without end.
class MeasureCache {
 public:
  struct Metrics {
    int line = 0;
    std::unordered_map<char32_t, long> advances;  // 26.6 pixels; 0 for a glyph that fails to load
  };
  static constexpr std::size_t kMaxGlyphs = 1 << 16;

  Metrics* find(FT_Face face, FT_F26Dot6 px) {
    auto it = metrics_.find({face, px});
    return it == metrics_.end() ? nullptr : &it->second;
  }
  // Starts afresh once full; called before a measurement takes pointers into it.
  void trim() {
    if (glyphs_ < kMaxGlyphs) return;
    metrics_.clear();
    glyphs_ = 0;
  }
  Metrics& add(FT_Face face, FT_F26Dot6 px, int line) {
    Metrics& m = metrics_[{face, px}];
    m.line = line;
    return m;
  }
  void counted_glyph() noexcept { ++glyphs_; }
  std::size_t bytes() const noexcept {
    std::size_t n = 0;
    for (const auto& [key, m] : metrics_)
      n += sizeof(key) + sizeof(m) + m.advances.bucket_count() * sizeof(void*) +
           m.advances.size() * (sizeof(std::pair<const char32_t, long>) + 2 * sizeof(void*));
    return n;
  }

 private:
  std::map<std::pair<FT_Face, FT_F26Dot6>, Metrics> metrics_;
  std::size_t glyphs_ = 0;
};

MeasureCache& measure_cache() {
  static MeasureCache cache;
  return cache;
}

}  // namespace

TextSize measure_text(const Font& font, const std::string& utf8) {
  auto& faces = FontFaces::instance();
  std::lock_guard lock(faces.mutex);
  const std::u32string text = decode_utf8(utf8);
  FT_Face face = faces.face(font, text);
  // A missing face measures as empty, and nothing is kept, so fonts installed later still count.
  if (!face) return {};
  const FT_F26Dot6 px = pixel_size_26_6(font);
  // Sizing a face runs its hinting set-up: only when a glyph has to be loaded.
  bool sized = false;
  auto set_size = [&] {
    if (!sized) FT_Set_Char_Size(face, 0, px, 72, 72);
    sized = true;
  };
  if (needs_shaping(text)) {
    set_size();
    const Line line = shaped_line(face, text);
    return {static_cast<int>((line.advance + 63) >> 6),
            static_cast<int>((face->size->metrics.height + 63) >> 6)};
  }
  auto& cache = measure_cache();
  cache.trim();
  MeasureCache::Metrics* m = cache.find(face, px);
  if (!m) {
    set_size();
    m = &cache.add(face, px, static_cast<int>((face->size->metrics.height + 63) >> 6));
  }
  long pen = 0;
  for (char32_t cp : text) {
    auto it = m->advances.find(cp);
    if (it == m->advances.end()) {
      set_size();
      const unsigned index = FT_Get_Char_Index(face, cp);
      const long advance =
          FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) == 0 ? face->glyph->advance.x : 0;
      it = m->advances.emplace(cp, advance).first;
      cache.counted_glyph();
    }
    pen += it->second;
  }
  return {static_cast<int>((pen + 63) >> 6), m->line};
}

std::size_t measure_cache_bytes() {
  auto& faces = FontFaces::instance();
  std::lock_guard lock(faces.mutex);
  return measure_cache().bytes();
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
