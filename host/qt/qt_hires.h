// The face at device resolution as Qt shows it: the shared device face (host/common/hires_face.h)
// cut to the shape's regions, and the shape itself at device resolution.
#pragma once

#include <vector>

#include <QImage>
#include <QRegion>

#include "brelund/raster.h"
#include "host/common/hires_face.h"
#include "shape/region.h"

namespace brelund::qt {

using host::HiresFace;

// The face to show at `ratio`: the device-resolution face when it is current, the logical one
// scaled up otherwise, with the shape's regions cut away at device resolution (transparent).
QImage device_face(const Raster& logical, const HiresFace& hires,
                   const std::vector<shape::Region>& regions, bool shaped, double ratio);

// The logical pixels that the regions, drawn at device resolution, touch.
QRegion device_shape(const std::vector<shape::Region>& regions, double ratio);

}  // namespace brelund::qt
