#include "host/headless/font_faces.h"

#include <hb.h>

#include <algorithm>

namespace brelund::headless {

namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/dejavu/";

bool is_bold(const Font& f) { return f.bold || f.weight >= 600; }

// The DejaVu face closest to the font, by name: what captions fall back to.
std::string dejavu_file(const Font& f) {
  std::string family = "DejaVuSans";
  if (f.name.find("Serif") != std::string::npos) family = "DejaVuSerif";
  if (f.name.find("Mono") != std::string::npos) family = "DejaVuSansMono";
  const bool bold = is_bold(f);
  std::string style;
  if (bold && f.italic)
    style = family == "DejaVuSerif" ? "-BoldItalic" : "-BoldOblique";
  else if (bold)
    style = "-Bold";
  else if (f.italic)
    style = family == "DejaVuSerif" ? "-Italic" : "-Oblique";
  return kFontDir + family + style + ".ttf";
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

bool fontconfig_ready() {
  static const bool ready = FcInit() == FcTrue;
  return ready;
}

// The pattern fontconfig matches the font's family and style with, substituted as for a match;
// null when fontconfig cannot be used.
Pattern font_pattern(const Font& f) {
  if (!fontconfig_ready()) return nullptr;
  Pattern pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(f.name.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, is_bold(f) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, f.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  return pattern;
}

bool file_of(FcPattern* font, std::string& file, int& index) {
  FcChar8* path = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch || !path) return false;
  file = reinterpret_cast<const char*>(path);
  if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  return true;
}

// fontconfig's best file for the family and style, or false when it has none.
bool match_file(const Font& f, std::string& file, int& index) {
  const Pattern pattern = font_pattern(f);
  if (!pattern) return false;
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match || result != FcResultMatch) return false;
  return file_of(match.get(), file, index);
}

std::string font_key(const Font& font) {
  return font.name + (is_bold(font) ? "|b" : "|") + (font.italic ? "i" : "");
}

// Characters that belong to the letter before them rather than having a glyph of their own
// everywhere: marks and format controls. A face without them keeps them, so that a fallback
// face does not split a letter from its marks or break a joined run.
bool rides_along(char32_t c) {
  if (c < 0x20) return true;
  switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_FORMAT:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool FontFaces::has_glyph(FT_Face face, char32_t c) {
  if (c >= 128) return FT_Get_Char_Index(face, c) != 0;
  if (face != ascii_face_) {
    ascii_glyphs_ = &ascii_[face];
    ascii_face_ = face;
  }
  const std::uint64_t bit = std::uint64_t{1} << (c & 63);
  AsciiGlyphs& g = *ascii_glyphs_;
  if (!(g.known[c >> 6] & bit)) {
    g.known[c >> 6] |= bit;
    if (FT_Get_Char_Index(face, c) != 0) g.present[c >> 6] |= bit;
  }
  return (g.present[c >> 6] & bit) != 0;
}

FontFaces& FontFaces::instance() {
  static FontFaces faces;
  return faces;
}

FontFaces::FontFaces() {
  FT_Library l = nullptr;
  if (FT_Init_FreeType(&l) == 0) library_.reset(l);
}

FT_Face FontFaces::open(const std::string& file, int index) {
  if (!library_) return nullptr;
  const std::string key = file + '#' + std::to_string(index);
  auto it = files_.find(key);
  if (it != files_.end()) return it->second.get();
  FT_Face f = nullptr;
  if (FT_New_Face(library_.get(), file.c_str(), index, &f) != 0) f = nullptr;
  return files_.emplace(key, std::unique_ptr<FT_FaceRec_, FaceDeleter>(f)).first->second.get();
}

FT_Face FontFaces::matched(const Font& font) {
  if (last_font_ && *last_font_ == font) return last_match_;
  const std::string key = font_key(font);
  if (auto it = matches_.find(key); it != matches_.end()) {
    last_font_ = font;
    return last_match_ = it->second;
  }
  std::string file;
  int index = 0;
  FT_Face face = match_file(font, file, index) ? open(file, index) : nullptr;
  if (!face) face = open(dejavu_file(font), 0);
  matches_.emplace(key, face);
  last_font_ = font;
  return last_match_ = face;
}

FT_Face FontFaces::face(const Font& font, std::u32string_view text) {
  const auto covers = [&](FT_Face f) {
    return std::all_of(text.begin(), text.end(),
                       [&](char32_t c) { return c < 0x20 || has_glyph(f, c); });
  };
  FT_Face face = matched(font);
  if (face && covers(face)) return face;
  FT_Face fallback = open(dejavu_file(font), 0);
  if (fallback && (!face || covers(fallback))) return fallback;
  return face;
}

const FcFontSet* FontFaces::fallbacks(const Font& font) {
  const std::string key = font_key(font);
  if (auto it = fallbacks_.find(key); it != fallbacks_.end()) return it->second.get();
  FontSet sorted;
  if (const Pattern pattern = font_pattern(font)) {
    FcResult result = FcResultNoMatch;
    // Trimmed: a face that adds no character to those before it is left out.
    sorted.reset(FcFontSort(nullptr, pattern.get(), FcTrue, nullptr, &result));
  }
  return fallbacks_.emplace(key, std::move(sorted)).first->second.get();
}

FT_Face FontFaces::face_for(const Font& font, FT_Face face, char32_t c) {
  if (!face || has_glyph(face, c) || rides_along(c)) return face;
  const FcFontSet* set = fallbacks(font);
  for (int i = 0; set && i < set->nfont; ++i) {
    FcCharSet* chars = nullptr;
    if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch ||
        !FcCharSetHasChar(chars, c))
      continue;
    std::string file;
    int index = 0;
    if (!file_of(set->fonts[i], file, index)) continue;
    // fontconfig's character sets can list what a face maps to an empty glyph: FreeType decides.
    FT_Face other = open(file, index);
    if (other && has_glyph(other, c)) return other;
  }
  return face;
}

}  // namespace brelund::headless
