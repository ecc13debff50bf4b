// The looks of the button side by side: what `boton gallery` and `./run demo` show.
#pragma once

#include "brelund/raster.h"

namespace brelund::gallery {

Raster render();

}  // namespace brelund::gallery
