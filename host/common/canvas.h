// The retained drawing of a control surface with its scale system: extents that default to the
// client area in twips, rescaled one axis at a time, and solid one-pixel lines with the end point
// excluded. Every host's surface embeds one, so the same face gives the same pixels everywhere.
//
// Pixels are made when something reads them. A resize only notes the new size, and a face drawn
// over every pixel drops whatever it hides unwritten: a control that is rebuilt and repainted
// several times before it is first shown, or that is never shown at all, writes (and holds) no
// pixels for it. What a read sees is exactly what drawing each line at once would have left.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "brelund/host.h"
#include "brelund/raster.h"
#include "brelund/values.h"

namespace brelund {

class Canvas {
 public:
  // A new client area in twips; the retained drawing keeps what still fits, black elsewhere, and
  // the scale goes back to twips. Only noted: nothing is allocated or written until a read.
  void resize(float width_twips, float height_twips);
  // The size in pixels, without making them.
  int width() const noexcept { return width_; }
  int height() const noexcept { return height_; }

  float scale_width() const noexcept { return scale_w_; }
  float scale_height() const noexcept { return scale_h_; }
  // Zero or non-finite extents fail with "Invalid property value" and change nothing.
  void set_scale_width(float v);
  void set_scale_height(float v);

  // Solid one-pixel line in the current scale, colour as OLE RGB.
  // A line or batch that cannot be held back writes what is held first, which allocates the
  // pixels after a resize (std::bad_alloc when they cannot be had).
  void line(float x1, float y1, float x2, float y2, OleColor rgb);
  // line(0, y, 1, y, rgb) for each row in order, runs included, with the column ends worked out
  // once and every pixel row written once.
  void rows(const host::Surface::Row* rows, int count);

  // The drawing so far: pending work is applied first, in one pass. The first read after a
  // resize allocates the pixels, so this throws std::bad_alloc when they cannot be had.
  const Raster& raster() const {
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
  // to lines the fill may have pushed out by then.
  struct Column {
    int x, y0, y1;
    std::uint32_t argb;
  };
  static constexpr int kHeldColumns = 8;
  // Made for each batch and let go once it is written or dropped: a shown canvas, whose pixels
  // have been read, holds none of it.
  struct PendingRows {
    int lo = 0, hi = -1, x0 = 0, x1 = 0;
    int columns = 0;
    Column column[kHeldColumns];
    // The colour each pixel row ends up with, zero where none landed (every drawn colour is
    // opaque, so zero is never one): slot py + 1 for pixel row py, with one more at each end for
    // rows off the raster.
    std::vector<std::uint32_t> colours;
  };
  void flush() const;
  // take_size() when the pixels are not yet at the noted size.
  void size_pixels() const;
  // Brings the pixels to the noted size: what still fits kept and black elsewhere, or, under a
  // batch that covers every pixel, unset pixels for it to fill.
  void take_size() const;
  void fill_pending_rows() const noexcept;
  // Drops the held batch unwritten.
  void drop_pending_rows() const noexcept { held_.reset(); }
  // Clips the held work to a smaller raster, as a resize of drawn pixels would have cut it.
  void clip_pending(int w, int h) noexcept;
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
    const std::int64_t num = whole * height_;
    auto q = static_cast<std::int64_t>(static_cast<double>(num) * row_inverse_);
    while (q * row_scale_ > num) --q;
    while ((q + 1) * row_scale_ <= num) ++q;
    return q;
  }
  // Far-off rows only need to stay off the raster.
  int on_raster(std::int64_t q) const noexcept {
    return q < -1 ? -1 : q > height_ ? height_ : static_cast<int>(q);
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

  mutable Raster raster_;
  mutable Pending pending_;
  // The held batch of rows, if any.
  mutable std::unique_ptr<PendingRows> held_;
  // The noted size, which raster_ takes at the next read.
  int width_ = 0, height_ = 0;
  // The part of raster_ that still shows what was drawn: the smallest size it had since raster_
  // last took a size (shrinking drops pixels for good, growing brings back black ones).
  mutable int kept_width_ = 0, kept_height_ = 0;
  // The held batch covers every pixel: nothing drawn before it can show, so the next read needs
  // neither the old pixels nor black.
  mutable bool covered_ = false;
  float scale_w_ = 0, scale_h_ = 0;
};

}  // namespace brelund
