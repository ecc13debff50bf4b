// The retained drawing of a control surface with its scale system: extents that default to the
// client area in twips, rescaled one axis at a time, and solid one-pixel lines with the end point
// excluded. Every host's surface embeds one, so the same face gives the same pixels everywhere.
#pragma once

#include "host/raster.h"
#include "host/values.h"

namespace brelund {

class Canvas {
 public:
  // A new client area in twips; the retained drawing keeps what still fits and the scale goes
  // back to twips.
  void resize(float width_twips, float height_twips);

  float scale_width() const noexcept { return scale_w_; }
  float scale_height() const noexcept { return scale_h_; }
  // Zero or non-finite extents fail with "Invalid property value" and change nothing.
  void set_scale_width(float v);
  void set_scale_height(float v);

  // Solid one-pixel line in the current scale, colour as OLE RGB.
  void line(float x1, float y1, float x2, float y2, OleColor rgb) noexcept;

  const Raster& raster() const noexcept { return raster_; }
  Raster& raster() noexcept { return raster_; }

 private:
  Raster raster_;
  float scale_w_ = 0, scale_h_ = 0;
};

}  // namespace brelund
