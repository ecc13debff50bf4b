// The caption measured and drawn with GDI under the one caption rule
// (host/common/caption_rule.h). The DC has the caption's font selected; for drawing also its
// text colour and a transparent background.
#pragma once

#include <windows.h>

#include <string>

namespace brelund::ax {

// The caption's box in pixels: its widest line by its number of lines times the font's height.
// A plain caption (no `&`, no line break) is measured as one run of text, as GDI measures it.
SIZE measure_caption(HDC dc, const std::string& caption);

// Draws the caption with its box's top-left corner at (x, y): each line centred in the box and
// its marked character underlined by DrawText.
void draw_caption(HDC dc, int x, int y, const std::string& caption);

}  // namespace brelund::ax
