// The retained drawing of a control surface with its scale system: extents that default to the
// client area in twips, rescaled one axis at a time, and solid one-pixel lines with the end point
// excluded. Every host's surface embeds one, so the same face gives the same pixels everywhere.
#pragma once

#include <cstdint>
#include <vector>

#include "brelund/host.h"
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
  // line(0, y, 1, y, rgb) for each row in order, runs included, with the column ends worked out
  // once and every pixel row written once.
  void rows(const host::Surface::Row* rows, int count) noexcept;

  // The drawing so far (pending work is applied first).
  const Raster& raster() const noexcept {
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
  // A batch of rows is filled only when something else needs the raster, and the columns drawn
  // right after it (the face's shaded edges) are written into each band of rows while that band
  // is still in the first-level cache; drawn after the whole batch, a column's pixels are stores
  // to lines the fill may have pushed out by then. Slots lo + 1 to hi + 1 hold its colours.
  struct Column {
    int x, y0, y1;
    std::uint32_t argb;
  };
  static constexpr int kHeldColumns = 8;
  struct PendingRows {
    int lo = 0, hi = -1, x0 = 0, x1 = 0;  // none while hi < lo
    int columns = 0;
    Column column[kHeldColumns];
  };
  void flush() const noexcept;
  void fill_pending_rows() const noexcept;
  // Holds the column back with the batch when there is one and room for it.
  bool hold_column(int x, int y0, int y1, std::uint32_t argb) noexcept;
  void begin_rows() noexcept;
  // floor(y * height / scale) as line() works it out, for the rows of a batch. For whole y and a
  // whole scale that is a quotient of integers: a correctly rounded double quotient of integers
  // below 2^53 never crosses an integer, so its floor is the integer quotient, found here by a
  // multiplication put right by at most a step each way instead of a division per row.
  int row_pixel(float y) const noexcept {
    if (row_scale_ == 0 || !whole_row(y)) return row_pixel_slow(y);
    return on_raster(row_quotient(static_cast<std::int64_t>(y)));
  }
  std::int64_t row_quotient(std::int64_t whole) const noexcept {
    const std::int64_t num = whole * raster_.height;
    auto q = static_cast<std::int64_t>(static_cast<double>(num) * row_inverse_);
    while (q * row_scale_ > num) --q;
    while ((q + 1) * row_scale_ <= num) ++q;
    return q;
  }
  // Far-off rows only need to stay off the raster.
  int on_raster(std::int64_t q) const noexcept {
    return q < -1 ? -1 : q > raster_.height ? raster_.height : static_cast<int>(q);
  }
  int row_pixel_slow(float y) const noexcept;
  static bool whole_row(float y) noexcept {
    return y >= -kWholeRows && y <= kWholeRows &&
           static_cast<float>(static_cast<std::int64_t>(y)) == y;
  }
  // Whole numbers up to here are exact in float, and their products with a raster height exact
  // in double and in 64 bits.
  static constexpr float kWholeRows = 16777216.0f;
  // The clipped columns of (0, y)-(1, y) in the current scale, set by begin_rows.
  int row_x0_ = 0, row_x1_ = 0;
  // A whole-numbered height scale, as the face sets it, lets whole-numbered rows map to pixels
  // without a division: set by begin_rows, zero when the scale is not such a number.
  std::int64_t row_scale_ = 0;
  double row_inverse_ = 0;

  // The colour each pixel row ends up with during a batch of rows, zero where none landed (every
  // drawn colour is opaque, so zero is never one): one entry per pixel row, kept with the raster.
  mutable std::vector<std::uint32_t> slots_;
  mutable Raster raster_;
  mutable Pending pending_;
  mutable PendingRows pending_rows_;
  float scale_w_ = 0, scale_h_ = 0;
};

}  // namespace brelund
