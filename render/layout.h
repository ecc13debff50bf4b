// Places the caption and the picture on the face: centred, side by side with a 50-twip gap
// when a picture is loaded, one pixel right and down while the button is held.
#pragma once

#include "brelund/host.h"

namespace brelund::render {

inline constexpr float kPressedOffset = 15;  // one pixel in twips
inline constexpr float kPictureGap = 50;

void LayoutContent(host::Surface& surface, host::Label& label, host::Image& pic, bool pressed);

}  // namespace brelund::render
