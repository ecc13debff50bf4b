// The retained drawing of a control surface with its scale system: extents that default to the
// client area in twips, rescaled one axis at a time, and solid one-pixel lines with the end point
// excluded. Every host's surface embeds one, so the same face gives the same pixels everywhere.
#pragma once

#include "brelund/raster.h"
#include "brelund/values.h"

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
  // line(0, y, 1, y, rgb) for each row in order ({y, rgb} records), with the column ends worked
  // out once.
  template <class R>
  void rows(const R* rows, int count) noexcept {
    begin_rows();
    for (int i = 0; i < count; ++i) row(rows[i].y, rows[i].rgb);
  }

  // The drawing so far (pending work is applied first).
  const Raster& raster() const noexcept {
    flush();
    return raster_;
  }
  Raster& raster() noexcept {
    flush();
    return raster_;
  }

 private:
  // A row span is held back until a line lands elsewhere: the face draws about one and a half
  // rows per pixel row, and a later row over the same pixels would hide an earlier one entirely.
  // Holding the last one back writes every pixel once without changing a single drawn pixel.
  struct Pending {
    int y = -1, x0 = 0, x1 = 0;
    std::uint32_t argb = 0;
  };
  void flush() const noexcept;
  void begin_rows() noexcept;
  void row(float y, OleColor rgb) noexcept;
  // The clipped columns of (0, y)-(1, y) in the current scale, set by begin_rows.
  int row_x0_ = 0, row_x1_ = 0;

  mutable Raster raster_;
  mutable Pending pending_;
  float scale_w_ = 0, scale_h_ = 0;
};

}  // namespace brelund
