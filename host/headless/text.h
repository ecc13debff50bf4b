// Caption text for the headless host: measuring and drawing with FreeType and the DejaVu faces.
#pragma once

#include <string>

#include "brelund/raster.h"
#include "host/headless/children.h"

namespace brelund::headless {

// The size of a caption in pixels: its advance width and the font's line height.
TextSize measure_text(const Font& font, const std::string& utf8);

// Draws the caption with its top-left corner at (x, y) pixels, blending into dst, clipped.
void draw_text(Raster& dst, int x, int y, const Font& font, const std::string& utf8,
               std::uint32_t rgb_argb);

}  // namespace brelund::headless
