#include "host/headless/font_faces.h"

#include <fontconfig/fontconfig.h>

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

// fontconfig's best file for the family and style, or false when it has none.
bool match_file(const Font& f, std::string& file, int& index) {
  static const bool ready = FcInit() == FcTrue;
  if (!ready) return false;
  Pattern pattern(FcPatternCreate());
  if (!pattern) return false;
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(f.name.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, is_bold(f) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern.get(), FC_SLANT, f.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
  if (!match || result != FcResultMatch) return false;
  FcChar8* path = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch || !path) return false;
  file = reinterpret_cast<const char*>(path);
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  return true;
}

bool covers(FT_Face face, std::u32string_view text) {
  for (char32_t c : text)
    if (c >= 0x20 && FT_Get_Char_Index(face, c) == 0) return false;
  return true;
}

}  // namespace

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
  const std::string key = font.name + (is_bold(font) ? "|b" : "|") + (font.italic ? "i" : "");
  if (auto it = matches_.find(key); it != matches_.end()) return it->second;
  std::string file;
  int index = 0;
  FT_Face face = match_file(font, file, index) ? open(file, index) : nullptr;
  if (!face) face = open(dejavu_file(font), 0);
  matches_.emplace(key, face);
  return face;
}

FT_Face FontFaces::face(const Font& font, std::u32string_view text) {
  FT_Face face = matched(font);
  if (face && covers(face, text)) return face;
  FT_Face fallback = open(dejavu_file(font), 0);
  if (fallback && (!face || covers(fallback, text))) return fallback;
  return face;
}

}  // namespace brelund::headless
