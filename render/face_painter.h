// The face painter: a full-width row gradient from a light tone through the background colour to
// a dark tone, then a few shaded edge columns, all in a temporary scale of the surface.
#pragma once

#include <cstdint>

#include "brelund/host.h"

namespace brelund::render {

struct FaceLook {
  bool lit = false;      // the highlight argument or the instance's highlight flag
  bool pressed = false;  // reverses both orders of visiting
  OleColor back_color = 0;
  std::int32_t light = 0;
  std::int32_t roundness3d = 0;
};

// Draws the face on the surface; in the disabled look it also sets the caption colour. Extents
// below 1.5 units, or too small to give a row or column unit, draw and change nothing. The
// surface's scale is back at its entry extents (as whole numbers) afterwards, also when an
// overflow stops the paint.
void PaintFace(host::Surface& surface, host::Label& label, host::Platform& platform,
               const FaceLook& look);

}  // namespace brelund::render
