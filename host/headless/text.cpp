#include "host/headless/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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

// Walks the glyphs of a caption with the faces' lock held. `load` is FT_LOAD_RENDER when the
// glyphs are drawn; measuring needs only the hinted advances, which loading without rendering
// gives the same.
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

// A form of many buttons measures the same few captions again and again, and running the
// hinting program of every glyph costs far more than drawing a face; sizes are therefore kept by
// face file, pixel size and text. Bounded so that a stream of distinct captions cannot grow it
// without end.
class MeasureCache {
 public:
  static constexpr std::size_t kMaxEntries = 4096;
  static constexpr std::size_t kMaxTextBytes = 256;  // longer captions are measured each time

  std::optional<TextSize> find(const std::string& key) const {
    auto it = sizes_.find(key);
    return it == sizes_.end() ? std::nullopt : std::optional<TextSize>(it->second);
  }
  void put(std::string key, TextSize size) {
    if (sizes_.size() >= kMaxEntries) sizes_.clear();
    sizes_.emplace(std::move(key), size);
  }
  std::size_t bytes() const noexcept {
    std::size_t n = sizes_.bucket_count() * sizeof(void*);
    for (const auto& [key, size] : sizes_)
      n += sizeof(std::pair<const std::string, TextSize>) + 2 * sizeof(void*) +
           (key.capacity() > 15 ? key.capacity() + 1 : 0);
    return n;
  }

 private:
  std::unordered_map<std::string, TextSize> sizes_;
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
  const FT_F26Dot6 px = pixel_size_26_6(font);
  if (utf8.size() > MeasureCache::kMaxTextBytes)
    return walk_locked(faces.face(file), font, utf8, FT_LOAD_DEFAULT,
                       [](FT_GlyphSlot, int, int) {});
  std::string key = file;
  key += '\0';
  key += std::to_string(px);
  key += '\0';
  key += utf8;
  if (auto hit = measure_cache().find(key)) return *hit;
  const TextSize size =
      walk_locked(faces.face(file), font, utf8, FT_LOAD_DEFAULT, [](FT_GlyphSlot, int, int) {});
  // A missing face measures as empty; that is not kept, so fonts installed later still count.
  if (faces.face(file)) measure_cache().put(std::move(key), size);
  return size;
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
