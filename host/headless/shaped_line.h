// One line of caption text laid out as glyphs, for caption_shaping.cpp to measure and draw.
// Text that needs no shaping (scripts whose letters stand alone, such as Latin, Greek, Cyrillic,
// CJK, with symbols and emoji; no combining marks, no format controls) goes glyph by glyph
// through the face's character map with FreeType's hinted advances and no kerning, as this host
// always measured it: a caption's size decides the layout, and HarfBuzz would kern such text
// ("To", "AV") and, with its default load flags, use the font's unhinted advances, moving
// captions by one to three pixels. Everything else is ordered by FriBidi (the Unicode
// bidirectional algorithm) and shaped run by run by HarfBuzz (joining, marks, ligatures).
//
// Each character is drawn from the caption's face when it has it and from a fallback face
// otherwise (FontFaces::face_for); a run of characters in one face is shaped together.
// Callers hold the face lock.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "brelund/values.h"
#include "host/headless/font_faces.h"

namespace brelund::headless {

std::u32string decode_utf8(const std::string& s);

// True when the text takes the shaped path.
bool needs_shaping(std::u32string_view text);

// Points at 96 dots per inch, in 26.6 fixed point pixels.
FT_F26Dot6 pixel_size_26_6(const Font& f);

// The face of each character of a caption: the caption's own face, unless it lacks the character.
class CharFaces {
 public:
  CharFaces(FontFaces& faces, const Font& font, FT_Face face, std::u32string_view text);
  FT_Face operator[](std::size_t i) const { return each_.empty() ? face_ : each_[i]; }
  FT_Face face() const noexcept { return face_; }
  // Every face used, the caption's first.
  const std::vector<FT_Face>& used() const noexcept { return used_; }

 private:
  FT_Face face_;
  std::vector<FT_Face> each_;  // empty while every character is in face_
  std::vector<FT_Face> used_;
};

struct Glyph {
  FT_Face face;
  unsigned index;       // in the face
  long x, y;            // pen position of the glyph's origin, 26.6, y down
  long advance;         // 26.6
  std::size_t cluster;  // the first character (logical index) the glyph shows
};

struct Line {
  std::vector<Glyph> glyphs;  // in visual order, left to right
  long advance = 0;           // 26.6
};

// The faces must be sized.
Line simple_line(const CharFaces& faces, std::u32string_view text);
Line shaped_line(const CharFaces& faces, std::u32string_view text);

}  // namespace brelund::headless
