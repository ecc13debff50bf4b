// Caption text for the headless host: faces chosen by fontconfig, right-to-left text ordered by
// FriBidi and shaped by HarfBuzz, glyphs drawn by FreeType.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "brelund/raster.h"
#include "host/headless/children.h"

namespace brelund::headless {

// The size of a caption in pixels: its advance width and the font's line height.
// Sizes of unshaped text are cached (see text.cpp); the same font and text always give the same
// size.
TextSize measure_text(const Font& font, const std::string& utf8);
// Bytes the cache of measured sizes holds now, for the benchmarks' memory figures.
std::size_t measure_cache_bytes();

// Where each glyph of a caption lands, in visual order from left to right: the first character
// it shows (index into the caption's characters, not bytes), its pen position in pixels and the
// glyph's index in the face (joined letters take other glyphs than the letters alone).
struct PlacedCluster {
  std::size_t character;
  int x;
  unsigned glyph;
};
std::vector<PlacedCluster> layout_text(const Font& font, const std::string& utf8);

// Draws the caption with its top-left corner at (x, y) pixels, blending into dst, clipped.
void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t rgb_argb);

}  // namespace brelund::headless
