// One line of caption text on the headless host: faces chosen by fontconfig (with a fallback
// face for characters the caption's face lacks), right-to-left text ordered by FriBidi and
// shaped by HarfBuzz, glyphs drawn by FreeType. caption_box.h puts lines together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "brelund/raster.h"
#include "host/headless/children.h"

namespace brelund::headless {

// The size of a line in pixels: its advance width and the font's line height.
// Sizes of unshaped text are cached (see caption_shaping.cpp); the same font and text always give
// the same size.
TextSize measure_text(const Font& font, const std::string& utf8);
// Bytes the cache of measured sizes holds now, for the benchmarks' memory figures.
std::size_t measure_cache_bytes();

// Pixels from the top of a line to its baseline, in the font's face.
int text_ascent(const Font& font);

// Where each glyph of a line lands, in visual order from left to right: the first character
// it shows (index into the line's characters, not bytes), its pen position in pixels and the
// glyph's index in its face (joined letters take other glyphs than the letters alone).
struct PlacedCluster {
  std::size_t character;
  int x;
  unsigned glyph;
};
std::vector<PlacedCluster> layout_text(const Font& font, const std::string& utf8);

// The pixels [first, second) from the line's left edge that the advances of the glyphs showing
// `character` (an index into the line's characters) cover; nullopt when it shows no glyph.
std::optional<std::pair<int, int>> character_span(const Font& font, const std::string& utf8,
                                                  std::size_t character);

// Draws the line with its top-left corner at (x, y) pixels, blending into dst, clipped.
void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t rgb_argb);

}  // namespace brelund::headless
