// The face at device resolution. The control draws its face in whole logical pixels, as the
// platform it was made for did; on a screen with more device pixels than logical ones the same
// lines are drawn again at the device's resolution, each one logical pixel thick, so that the
// gradient and the cut-away corners are as fine as the screen. At a ratio of 1 nothing here is
// used and the face is exactly the logical one. Hosts that know their device pixel ratio (Qt,
// the page) feed it every line their surface draws.
#pragma once

#include "brelund/host.h"
#include "brelund/raster.h"
#include "brelund/values.h"

namespace brelund::host {

class HiresFace {
 public:
  bool active() const noexcept { return image_.width > 0 && image_.height > 0; }
  bool matches(double ratio, int logical_width, int logical_height) const noexcept;
  // A line as the surface draws it (coordinates in the current scale, end point excluded), at
  // `ratio` for a logical extent: a new ratio or extent starts a new black face first. At a
  // ratio of 1 or less the face is dropped.
  void line(double ratio, int logical_width, int logical_height, float x1, float y1, float x2,
            float y2, OleColor rgb, float scale_width, float scale_height);
  // A batch of the surface's rows, each drawn as the line it stands for (nothing at a ratio of
  // 1 with no face kept).
  void rows(double ratio, int logical_width, int logical_height, const Surface::Row* rows,
            int count, float scale_width, float scale_height);
  const Raster& image() const noexcept { return image_; }
  double ratio() const noexcept { return ratio_; }

 private:
  void fill(int x0, int y0, int x1, int y1, std::uint32_t argb) noexcept;
  Raster image_;
  double ratio_ = 1;
  int logical_w_ = 0, logical_h_ = 0, thickness_ = 1;
};

// A device extent of a logical one.
int device_pixels(int logical, double ratio) noexcept;

}  // namespace brelund::host
