#include "host/headless/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brelund::headless {

namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

std::string face_file(const Font& f) {
  std::string family = "DejaVuSans";
  if (f.name.find("Serif") != std::string::npos) family = "DejaVuSerif";
  if (f.name.find("Mono") != std::string::npos) family = "DejaVuSansMono";
  const bool bold = f.bold || f.weight >= 600;
  std::string style;
  if (bold && f.italic)
    style = family == "DejaVuSerif" ? "-BoldItalic" : "-BoldOblique";
  else if (bold)
    style = "-Bold";
  else if (f.italic)
    style = family == "DejaVuSerif" ? "-Italic" : "-Oblique";
  return kFontDir + family + style + ".ttf";
}

struct LibraryDeleter {
  void operator()(FT_Library l) const { FT_Done_FreeType(l); }
};
struct FaceDeleter {
  void operator()(FT_Face f) const { FT_Done_Face(f); }
};

// FreeType objects are cached per face file and opened once; the library is not thread-safe,
// so the cache is guarded.
class Faces {
 public:
  static Faces& instance() {
    static Faces faces;
    return faces;
  }
  std::mutex mutex;
  // nullptr when the face cannot be loaded (fonts missing): text is then measured as empty.
  FT_Face face(const std::string& file) {
    if (!library_) return nullptr;
    auto it = faces_.find(file);
    if (it != faces_.end()) return it->second.get();
    FT_Face f = nullptr;
    if (FT_New_Face(library_.get(), file.c_str(), 0, &f) != 0) f = nullptr;
    return faces_.emplace(file, std::unique_ptr<FT_FaceRec_, FaceDeleter>(f)).first->second.get();
  }

 private:
  Faces() {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) == 0) library_.reset(l);
  }
  std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library_;
  std::map<std::string, std::unique_ptr<FT_FaceRec_, FaceDeleter>> faces_;
};

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

// Points at 96 dots per inch, in 26.6 fixed point pixels.
FT_F26Dot6 pixel_size_26_6(const Font& f) {
  const double px = std::clamp(f.size, 1.0, 500.0) * 96.0 / 72.0;
  return static_cast<FT_F26Dot6>(std::lround(px * 64));
}

// Walks the glyphs of a caption with the faces' lock held, loading each with `load`.
template <class Glyph>
TextSize walk_locked(FT_Face face, const Font& font, const std::string& utf8, FT_Int32 load,
                     Glyph&& glyph) {
  if (!face) return {};
  FT_Set_Char_Size(face, 0, pixel_size_26_6(font), 72, 72);
  const int ascent = static_cast<int>((face->size->metrics.ascender + 63) >> 6);
  const int line = static_cast<int>((face->size->metrics.height + 63) >> 6);
  long pen = 0;
  for (char32_t cp : decode_utf8(utf8)) {
    if (FT_Load_Char(face, cp, load) != 0) continue;
    glyph(face->glyph, static_cast<int>(pen >> 6), ascent);
    pen += face->glyph->advance.x;
  }
  return {static_cast<int>((pen + 63) >> 6), line};
}

// A caption's size is its line height and the sum of its glyphs' hinted advances, and running a
// glyph's hinting program costs far more than drawing a face; a form of many buttons measures
// the same few dozen glyphs again and again. So the advances are kept per face file and pixel
// size, and a caption is measured by adding them up exactly as the walk above does. Bounded so
// that text in many scripts cannot grow it without end.
class MeasureCache {
 public:
  struct Metrics {
    int line = 0;
    std::unordered_map<char32_t, long> advances;  // 26.6 pixels; 0 for a glyph that fails to load
  };
  static constexpr std::size_t kMaxGlyphs = 1 << 16;

  Metrics* find(const std::string& file, FT_F26Dot6 px) {
    auto it = metrics_.find({file, px});
    return it == metrics_.end() ? nullptr : &it->second;
  }
  // Starts afresh once full; called before a measurement takes pointers into it.
  void trim() {
    if (glyphs_ < kMaxGlyphs) return;
    metrics_.clear();
    glyphs_ = 0;
  }
  Metrics& add(const std::string& file, FT_F26Dot6 px, int line) {
    Metrics& m = metrics_[{file, px}];
    m.line = line;
    return m;
  }
  void counted_glyph() noexcept { ++glyphs_; }
  std::size_t bytes() const noexcept {
    std::size_t n = 0;
    for (const auto& [key, m] : metrics_)
      n += sizeof(key) + sizeof(m) + key.first.capacity() + 1 +
           m.advances.bucket_count() * sizeof(void*) +
           m.advances.size() * (sizeof(std::pair<const char32_t, long>) + 2 * sizeof(void*));
    return n;
  }

 private:
  std::map<std::pair<std::string, FT_F26Dot6>, Metrics> metrics_;
  std::size_t glyphs_ = 0;
};

MeasureCache& measure_cache() {
  static MeasureCache cache;
  return cache;
}

}  // namespace

TextSize measure_text(const Font& font, const std::string& utf8) {
  auto& faces = Faces::instance();
  std::lock_guard lock(faces.mutex);
  const std::string file = face_file(font);
  FT_Face face = faces.face(file);
  // A missing face measures as empty, and nothing is kept, so fonts installed later still count.
  if (!face) return {};
  const FT_F26Dot6 px = pixel_size_26_6(font);
  auto& cache = measure_cache();
  cache.trim();
  bool sized = false;
  auto set_size = [&] {
    if (!sized) FT_Set_Char_Size(face, 0, px, 72, 72);
    sized = true;
  };
  MeasureCache::Metrics* m = cache.find(file, px);
  if (!m) {
    set_size();
    m = &cache.add(file, px, static_cast<int>((face->size->metrics.height + 63) >> 6));
  }
  long pen = 0;
  for (char32_t cp : decode_utf8(utf8)) {
    auto it = m->advances.find(cp);
    if (it == m->advances.end()) {
      set_size();
      const long advance =
          FT_Load_Char(face, cp, FT_LOAD_DEFAULT) == 0 ? face->glyph->advance.x : 0;
      it = m->advances.emplace(cp, advance).first;
      cache.counted_glyph();
    }
    pen += it->second;
  }
  return {static_cast<int>((pen + 63) >> 6), m->line};
}

std::size_t measure_cache_bytes() {
  auto& faces = Faces::instance();
  std::lock_guard lock(faces.mutex);
  return measure_cache().bytes();
}

namespace {
template <class Glyph>
TextSize walk(const Font& font, const std::string& utf8, Glyph&& glyph) {
  auto& faces = Faces::instance();
  std::lock_guard lock(faces.mutex);
  return walk_locked(faces.face(face_file(font)), font, utf8, FT_LOAD_RENDER,
                     std::forward<Glyph>(glyph));
}
}  // namespace

void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t argb) {
  const TextSize size = walk(font, utf8, [&](FT_GlyphSlot g, int pen_x, int ascent) {
    const FT_Bitmap& bm = g->bitmap;
    const int gx = x + pen_x + g->bitmap_left, gy = y + ascent - g->bitmap_top;
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
  });
  // Underline and strikethrough are drawn as one-pixel rules across the caption.
  auto rule = [&](int ry) { dst.fill_span(ry, x, x + size.width, argb); };
  if (font.underline) rule(y + size.height * 85 / 100);
  if (font.strikethrough) rule(y + size.height * 55 / 100);
}

}  // namespace brelund::headless
