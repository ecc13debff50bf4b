// The faces the headless host draws captions with: fontconfig chooses the file for a font's
// family, bold and italic; FreeType opens it once. DejaVu is the face when fontconfig finds
// nothing or the face lacks the caption's characters; a character that neither has comes from
// the face fontconfig lists next for the font that has it, as Qt's text does.
#pragma once

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "brelund/values.h"

namespace brelund::headless {

class FontFaces {
 public:
  static FontFaces& instance();

  // FreeType is not thread-safe: hold this while using a face.
  std::mutex mutex;

  // The face for `font` that has every character of `text` (or the closest to it); nullptr when
  // no face can be loaded at all (fonts missing): text is then measured as empty.
  FT_Face face(const Font& font, std::u32string_view text);

  // The face that draws `c` in a caption whose face is `face` (from face() above): `face` itself
  // when it has the character, else the first of fontconfig's faces for `font`, nearest first,
  // that has it; `face` again when none has (its missing-glyph box shows).
  FT_Face face_for(const Font& font, FT_Face face, char32_t c);

  // Whether `face` maps `c` to a glyph. FreeType's answer is kept for ASCII, most of every
  // caption: a form's buttons asked it for each character twice a measurement.
  bool has_glyph(FT_Face face, char32_t c);

 private:
  FontFaces();
  struct LibraryDeleter {
    void operator()(FT_Library l) const { FT_Done_FreeType(l); }
  };
  struct FaceDeleter {
    void operator()(FT_Face f) const { FT_Done_Face(f); }
  };
  FT_Face open(const std::string& file, int index);
  FT_Face matched(const Font& font);
  struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
  };
  using FontSet = std::unique_ptr<FcFontSet, FontSetDeleter>;
  // fontconfig's faces for the font's family and style, nearest first, each with its characters.
  const FcFontSet* fallbacks(const Font& font);

  std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library_;
  std::map<std::string, std::unique_ptr<FT_FaceRec_, FaceDeleter>> files_;
  std::map<std::string, FT_Face> matches_;    // family/bold/italic -> face
  std::map<std::string, FontSet> fallbacks_;  // family/bold/italic -> sorted faces (may be null)
  // The last font matched and its face: a form's captions are mostly in one font.
  std::optional<Font> last_font_;
  FT_Face last_match_ = nullptr;
  struct AsciiGlyphs {
    std::uint64_t known[2] = {0, 0}, present[2] = {0, 0};
  };
  std::map<FT_Face, AsciiGlyphs> ascii_;
  FT_Face ascii_face_ = nullptr;  // the face of the entry below, the last one asked about
  AsciiGlyphs* ascii_glyphs_ = nullptr;
};

}  // namespace brelund::headless
