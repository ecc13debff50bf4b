// The faces the headless host draws captions with: fontconfig chooses the file for a font's
// family, bold and italic; FreeType opens it once. DejaVu is the fallback when fontconfig finds
// nothing or the face lacks the caption's characters.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <memory>
#include <mutex>
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

  std::unique_ptr<FT_LibraryRec_, LibraryDeleter> library_;
  std::map<std::string, std::unique_ptr<FT_FaceRec_, FaceDeleter>> files_;
  std::map<std::string, FT_Face> matches_;  // family/bold/italic -> face
};

}  // namespace brelund::headless
