// The face at device resolution. The control draws its face in whole logical pixels, as the
// platform it was made for did; on a screen with more device pixels than logical ones the same
// lines are drawn again at the device's resolution, each one logical pixel thick, so that the
// gradient and the cut-away corners are as fine as the screen. At a ratio of 1 nothing here is
// used and the face is exactly the logical one.
#pragma once

#include <vector>

#include <QImage>
#include <QRegion>

#include "brelund/raster.h"
#include "brelund/values.h"
#include "shape/region.h"

namespace brelund::qt {

class HiresFace {
 public:
  bool active() const noexcept { return !image_.isNull(); }
  bool matches(double ratio, int logical_width, int logical_height) const noexcept;
  // A new black face of the device size for a logical extent.
  void reset(double ratio, int logical_width, int logical_height);
  void clear() { image_ = QImage(); }
  // A line as the surface draws it (coordinates in the current scale, end point excluded).
  void line(float x1, float y1, float x2, float y2, OleColor rgb, float scale_width,
            float scale_height) noexcept;
  const QImage& image() const noexcept { return image_; }
  double ratio() const noexcept { return ratio_; }

 private:
  void fill(int x0, int y0, int x1, int y1, QRgb c) noexcept;
  QImage image_;
  double ratio_ = 1;
  int logical_w_ = 0, logical_h_ = 0, thickness_ = 1;
};

// The face to show at `ratio`: the device-resolution face when it is current, the logical one
// scaled up otherwise, with the shape's regions cut away at device resolution (transparent).
QImage device_face(const Raster& logical, const HiresFace& hires,
                   const std::vector<shape::Region>& regions, bool shaped, double ratio);

// The logical pixels that the regions, drawn at device resolution, touch.
QRegion device_shape(const std::vector<shape::Region>& regions, double ratio);

}  // namespace brelund::qt
