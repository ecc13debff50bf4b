// The full rebuild: the rounded mask on the hidden canvas, handed to the surface as its mask
// picture, then the face and the layout.
#include "brelund/boton.h"
#include "brelund/units.h"
#include "control/numeric.h"
#include "shape/region.h"

namespace brelund {

void Boton::CreaNuevaRegion() {
  auto& surface = host_.surface;
  auto& mask = host_.mask;
  mask.set_width(surface.width());
  mask.set_height(surface.height());
  mask.clear();
  const std::int32_t w = num::div32(num::to_i32(surface.width()), units::kTwipsPerPixel);
  const std::int32_t h = num::div32(num::to_i32(surface.height()), units::kTwipsPerPixel);
  const shape::Region region = CreateRegion()
                                   ? shape::round_rect_region(0, 0, w, h, RoundSize(), RoundSize())
                                   : shape::rect_region(0, 0, w, h);
  mask.fill_black(region);
  surface.set_mask_picture(mask.image());
  PaintFace(kFalse, kFalse);
  LayoutContent();
  surface.rebuilt();
}

}  // namespace brelund
