// Caption text for the headless host: measuring and drawing with FreeType and the DejaVu faces.
#pragma once

#include <cstddef>
#include <string>

#include "brelund/raster.h"
#include "host/headless/children.h"

namespace brelund::headless {

// The size of a caption in pixels: its advance width and the font's line height.
// Sizes are cached (see text.cpp); the same font and text always give the same size.
TextSize measure_text(const Font& font, const std::string& utf8);
// Bytes the cache of measured sizes holds now, for the benchmarks' memory figures.
std::size_t measure_cache_bytes();

// Draws the caption with its top-left corner at (x, y) pixels, blending into dst, clipped.
void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t rgb_argb);

}  // namespace brelund::headless
