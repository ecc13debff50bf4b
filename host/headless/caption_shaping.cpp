// Measuring, placing and drawing one line of a caption (shaped_line.h lays it out).
#include "host/headless/caption_shaping.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "host/headless/font_faces.h"
#include "host/headless/shaped_line.h"

namespace brelund::headless {

namespace {

int pixels_up(long v26_6) { return static_cast<int>((v26_6 + 63) >> 6); }

// Sizes every face the line uses: the caption's face gives the line its ascent and height.
template <class Draw>
TextSize walk(const Font& font, const std::string& utf8, Draw&& draw) {
  auto& faces = FontFaces::instance();
  std::lock_guard lock(faces.mutex);
  const std::u32string text = decode_utf8(utf8);
  FT_Face face = faces.face(font, text);
  if (!face) return {};
  const CharFaces char_faces(faces, font, face, text);
  for (FT_Face f : char_faces.used()) FT_Set_Char_Size(f, 0, pixel_size_26_6(font), 72, 72);
  const int ascent = pixels_up(face->size->metrics.ascender);
  const int height = pixels_up(face->size->metrics.height);
  const Line line =
      needs_shaping(text) ? shaped_line(char_faces, text) : simple_line(char_faces, text);
  draw(line, ascent);
  return {pixels_up(line.advance), height};
}

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
  const CharFaces char_faces(faces, font, face, text);
  const FT_F26Dot6 px = pixel_size_26_6(font);
  // Sizing a face runs its hinting set-up: only when a glyph has to be loaded.
  std::vector<FT_Face> sized;
  auto set_size = [&](FT_Face f) {
    if (std::find(sized.begin(), sized.end(), f) != sized.end()) return;
    FT_Set_Char_Size(f, 0, px, 72, 72);
    sized.push_back(f);
  };
  if (needs_shaping(text)) {
    for (FT_Face f : char_faces.used()) set_size(f);
    const Line line = shaped_line(char_faces, text);
    return {pixels_up(line.advance), pixels_up(face->size->metrics.height)};
  }
  auto& cache = measure_cache();
  cache.trim();
  auto metrics_of = [&](FT_Face f) {
    MeasureCache::Metrics* m = cache.find(f, px);
    if (!m) {
      set_size(f);
      m = &cache.add(f, px, pixels_up(f->size->metrics.height));
    }
    return m;
  };
  MeasureCache::Metrics* const line_metrics = metrics_of(face);
  long pen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    FT_Face f = char_faces[i];
    MeasureCache::Metrics* m = f == face ? line_metrics : metrics_of(f);
    auto it = m->advances.find(text[i]);
    if (it == m->advances.end()) {
      set_size(f);
      const unsigned index = FT_Get_Char_Index(f, text[i]);
      const long advance = FT_Load_Glyph(f, index, FT_LOAD_DEFAULT) == 0 ? f->glyph->advance.x : 0;
      it = m->advances.emplace(text[i], advance).first;
      cache.counted_glyph();
    }
    pen += it->second;
  }
  return {pixels_up(pen), line_metrics->line};
}

std::size_t measure_cache_bytes() {
  auto& faces = FontFaces::instance();
  std::lock_guard lock(faces.mutex);
  return measure_cache().bytes();
}

int text_ascent(const Font& font) {
  int ascent = 0;
  walk(font, std::string(), [&](const Line&, int a) { ascent = a; });
  return ascent;
}

std::vector<PlacedCluster> layout_text(const Font& font, const std::string& utf8) {
  std::vector<PlacedCluster> out;
  walk(font, utf8, [&](const Line& line, int) {
    for (const Glyph& g : line.glyphs)
      out.push_back({g.cluster, static_cast<int>(g.x >> 6), g.index});
  });
  return out;
}

std::optional<std::pair<int, int>> character_span(const Font& font, const std::string& utf8,
                                                  std::size_t character) {
  std::optional<std::pair<long, long>> span;
  walk(font, utf8, [&](const Line& line, int) {
    // A character shaped together with the ones before it (a ligature) shows in the glyphs of
    // the cluster that holds it: the one that starts nearest before it.
    std::optional<std::size_t> cluster;
    for (const Glyph& g : line.glyphs)
      if (g.cluster <= character && (!cluster || g.cluster > *cluster)) cluster = g.cluster;
    for (const Glyph& g : line.glyphs) {
      if (!cluster || g.cluster != *cluster) continue;
      // The pen position without the glyph's own offset: where its advance starts.
      const long from = std::min(g.x, g.x + g.advance), to = std::max(g.x, g.x + g.advance);
      span = span ? std::pair{std::min(span->first, from), std::max(span->second, to)}
                  : std::pair{from, to};
    }
  });
  if (!span) return std::nullopt;
  return std::pair{static_cast<int>(span->first >> 6), static_cast<int>(span->second >> 6)};
}

void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t argb) {
  const TextSize size = walk(font, utf8, [&](const Line& line, int ascent) {
    for (const Glyph& glyph : line.glyphs) {
      if (FT_Load_Glyph(glyph.face, glyph.index, FT_LOAD_RENDER) != 0) continue;
      const FT_GlyphSlot g = glyph.face->glyph;
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
