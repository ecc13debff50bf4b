// A caption on the headless host as the one caption rule reads it (host/common/caption_rule.h):
// measured as a box of its lines and drawn line by line, each centred in the box.
#pragma once

#include <cstdint>
#include <string>

#include "brelund/raster.h"
#include "host/headless/children.h"

namespace brelund::headless {

// The caption's box: its widest line by its number of lines times the line height. A plain
// caption (no `&`, no line break) measures as its one line (measure_text).
TextSize measure_caption(const Font& font, const std::string& caption);

// Draws the caption with its box's top-left corner at (x, y) pixels: each line centred in the
// box, its marked character underlined one pixel below the baseline over its advance less the
// last pixel, as Windows underlines an access key.
void draw_caption(Raster& dst, int x, int y, const Font& font, const std::string& caption,
                  std::uint32_t argb);

}  // namespace brelund::headless
