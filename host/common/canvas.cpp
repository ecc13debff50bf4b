#include "host/common/canvas.h"
#include "brelund/units.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

#include "brelund/error.h"
#include "host/common/whole_fill.h"

namespace brelund {

namespace {
// Unit coordinates map to the pixel whose cell contains them (floor). Multiplying before dividing
// keeps whole-unit positions exact, so the bottom edge (N units) never lands on the last row.
// Far-off coordinates only need to stay off the raster.
int to_pixel(double units, int pixels, double scale) {
  const double p = std::clamp(units * pixels / scale, -1e6, 1e6);  // NaN stays NaN
  if (!(p == p)) return -1;
  const int i = static_cast<int>(p);
  return i - (p < i);  // floor, without a library call
}

constexpr std::uint32_t kBlack = 0xFF000000u;

void check_extent(float v) {
  if (v == 0 || !std::isfinite(v))
    throw Error(errors::kInvalidPropertyValue, "Invalid property value");
}
}  // namespace

void Canvas::size_pixels() const {
  if (raster_.width != width_ || raster_.height != height_ || kept_width_ < width_ ||
      kept_height_ < height_)
    take_size();
}

void Canvas::flush() const {
  size_pixels();
  covered_ = false;
  if (held_) fill_pending_rows();
  if (pending_.y < 0) return;
  // Only clipped, non-empty spans are ever held back, so the span goes straight to the fill.
  fill_pixels(raster_.row(pending_.y) + pending_.x0,
              static_cast<std::size_t>(pending_.x1 - pending_.x0), pending_.argb);
  pending_.y = -1;
}

void Canvas::take_size() const {
  const int w = width_, h = height_;
  const auto n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (covered_) {  // the batch writes every pixel: their old values do not matter
    if (raster_.width != w || raster_.height != h) {
      raster_.pixels = Pixels(n);
      raster_.width = w;
      raster_.height = h;
    }
  } else if (raster_.width != w || raster_.height != h) {
    Raster next;
    next.resize(w, h, kBlack);
    for (int y = 0; y < kept_height_; ++y) std::copy_n(raster_.row(y), kept_width_, next.row(y));
    raster_ = std::move(next);
  } else {  // the same size again after a smaller one: what was cut off comes back black
    const auto cut = static_cast<std::size_t>(w - kept_width_);
    for (int y = 0; y < kept_height_; ++y) fill_pixels(raster_.row(y) + kept_width_, cut, kBlack);
    if (kept_height_ < h)
      fill_pixels(raster_.row(kept_height_), n - static_cast<std::size_t>(kept_height_) * w,
                  kBlack);
  }
  kept_width_ = w;
  kept_height_ = h;
}

void Canvas::fill_pending_rows() const noexcept {
  const PendingRows& b = *held_;
  const int lo = b.lo, hi = b.hi;
  const std::ptrdiff_t stride = raster_.width;
  const auto n = static_cast<std::size_t>(b.x1 - b.x0);
  const Column* const first = b.column;
  const Column* const end = first + b.columns;
  auto put = [&](const Column& c, int y0, int y1) {
    std::uint32_t* p = raster_.row(y0) + c.x;
    const std::uint32_t argb = c.argb;  // a local: the stores could otherwise alias it
    for (int y = y0; y < y1; ++y, p += stride) *p = argb;
  };
  // About 16 KB of rows at a time, well inside the first-level cache with their columns.
  const int band = std::max(1, 4096 / static_cast<int>(std::max<std::size_t>(n, 1)));
  for (int y = lo; y <= hi; y += band) {
    const int last = std::min(hi, y + band - 1);
    fill_rows(raster_.row(y) + b.x0, stride, n, b.colours.data() + y + 1, last - y + 1);
    for (const Column* c = first; c != end; ++c)
      put(*c, std::max(c->y0, y), std::min(c->y1, last + 1));
  }
  // Above and below the batch no row landed, so the columns go in there on their own.
  for (const Column* c = first; c != end; ++c) {
    put(*c, c->y0, std::min(c->y1, lo));
    put(*c, std::max(c->y0, hi + 1), c->y1);
  }
  held_.reset();
}

bool Canvas::hold_column(int x, int y0, int y1, std::uint32_t argb) noexcept {
  if (!held_ || held_->columns == kHeldColumns) return false;
  PendingRows& b = *held_;
  b.column[b.columns++] = {x, y0, y1, argb};
  return true;
}

void Canvas::clip_pending(int w, int h) noexcept {
  if (pending_.y >= h || pending_.x0 >= w) pending_.y = -1;
  pending_.x1 = std::min(pending_.x1, w);
  if (!held_) return;
  PendingRows& b = *held_;
  int kept = 0;
  for (int i = 0; i < b.columns; ++i) {
    Column c = b.column[i];
    c.y1 = std::min(c.y1, h);
    if (c.x < w && c.y0 < c.y1) b.column[kept++] = c;
  }
  b.columns = kept;
  b.x1 = std::min(b.x1, w);
  if (b.x0 >= b.x1 || b.lo >= h) return drop_pending_rows();
  // The colours noted for the rows cut off are never read: the batch fills lo to hi only.
  b.hi = std::min(b.hi, h - 1);
}

void Canvas::resize(float width_twips, float height_twips) {
  const int w = units::extent_pixels(width_twips), h = units::extent_pixels(height_twips);
  if (w != width_ || h != height_) {
    // What is held was drawn at the old size: the part outside the new one is gone, as it would
    // be from pixels drawn at once.
    clip_pending(w, h);
    // Pixels the held batch never reached come back as black.
    if (w > width_ || h > height_) covered_ = false;
    kept_width_ = std::min(kept_width_, w);
    kept_height_ = std::min(kept_height_, h);
    width_ = w;
    height_ = h;
  }
  scale_w_ = units::twips_of_pixels(w);
  scale_h_ = units::twips_of_pixels(h);
}

void Canvas::begin_rows() noexcept {
  const int w = width_;
  row_scale_ = 0;
  if (w == 0 || height_ == 0) {
    row_x0_ = row_x1_ = 0;
    return;
  }
  // The same ends line() gives a row from x = 0 to x = 1.
  const int px1 = to_pixel(0, w, scale_w_), px2 = to_pixel(1, w, scale_w_);
  row_x0_ = std::max(px1 <= px2 ? px1 : px2 + 1, 0);
  row_x1_ = std::min(px1 <= px2 ? px2 : px1 + 1, w);
  // Within these bounds every product below is exact in 64 bits and in double, and the clamp in
  // to_pixel never engages for a row that lands on the raster.
  if (scale_h_ >= 1 && scale_h_ <= kWholeRows &&
      static_cast<float>(static_cast<std::int64_t>(scale_h_)) == scale_h_ && height_ < 1000000) {
    row_scale_ = static_cast<std::int64_t>(scale_h_);
    row_inverse_ = 1.0 / static_cast<double>(scale_h_);
  }
}

void Canvas::rows(const host::Surface::Row* rows, int count) {
  begin_rows();
  const int x0 = row_x0_, x1 = row_x1_, h = height_;
  if (x0 >= x1) return;
  // Each record only notes its colour on the pixel rows it lands on, later ones over earlier
  // ones; the rows are filled once at the end. A pixel row that two or three records land on is
  // then written once, and no branch depends on where the next record lands.
  // Slot py + 1 belongs to pixel row py; slots 0 and h + 1 take the rows that land off the
  // raster, so a single row is noted without a test. The batch is noted apart from the one held:
  // whether it hides that one is known only once it is noted.
  auto next = std::make_unique<PendingRows>();
  next->colours.assign(static_cast<std::size_t>(h) + 2, 0);
  std::vector<std::uint32_t>& slots = next->colours;
  int lo = h, hi = -1;
  auto put = [&](int py, std::uint32_t argb) {
    py = std::clamp(py, -1, h);
    slots[static_cast<std::size_t>(py + 1)] = argb;
    lo = std::min(lo, py);
    hi = std::max(hi, py);
  };
  // A span held back from before is part of the batch when a row would cover it exactly. It is
  // let go only once the batch is held: until then, a failure leaves it where it was.
  const bool takes_pending = pending_.y >= 0 && pending_.x0 == x0 && pending_.x1 == x1;
  if (takes_pending) put(pending_.y, pending_.argb);
  // Consecutive whole rows land on the same or the next pixel row when there are at least as
  // many rows as pixels, so a run of them covers the pixel rows between its ends.
  const bool runs_are_contiguous = row_scale_ >= h;
  // The face's rows come one unit apart, so a row's pixel follows from the one before's: with
  // y * height = q * scale + rem and 0 <= rem < scale, the next row adds height to rem and
  // carries into q. Any other row is worked out afresh.
  const std::int64_t scale = row_scale_;
  std::int64_t at_y = 0, q = 0, rem = 0;
  bool stepping = false;
  auto pixel_of = [&](float y) {
    if (scale == 0 || !whole_row(y)) {
      stepping = false;
      return row_pixel_slow(y);
    }
    const auto whole = static_cast<std::int64_t>(y);
    if (stepping && whole == at_y + 1) {
      for (rem += h; rem >= scale; rem -= scale) ++q;
    } else if (stepping && whole == at_y - 1) {
      for (rem -= h; rem < 0; rem += scale) --q;
    } else {
      q = row_quotient(whole);
      rem = whole * h - q * scale;
      stepping = true;
    }
    at_y = whole;
    return on_raster(q);
  };
  for (int i = 0; i < count; ++i) {
    const host::Surface::Row& r = rows[i];
    const std::uint32_t argb = argb_of_rgb(r.rgb);
    if (r.count == 1) {
      put(pixel_of(r.y), argb);
      continue;
    }
    if (r.count < 1) continue;
    const float y_end = r.y_at(r.count - 1);
    if (runs_are_contiguous && whole_row(r.y) && whole_row(y_end)) {
      const int a = std::clamp(row_pixel(r.y), -1, h), b = std::clamp(row_pixel(y_end), -1, h);
      std::fill(slots.begin() + std::min(a, b) + 1, slots.begin() + std::max(a, b) + 2, argb);
      lo = std::min({lo, a, b});
      hi = std::max({hi, a, b});
      continue;
    }
    for (std::int32_t j = 0; j < r.count; ++j) put(row_pixel(r.y_at(j)), argb);
  }
  lo = std::max(lo, 0);
  hi = std::min(hi, h - 1);
  if (lo > hi) return;  // every row off the raster (a span held back is always on it)
  // A batch over every pixel hides all that is held: it is dropped unwritten. Anything else is
  // written first, as it would have been before this batch.
  const auto row_end = slots.begin() + h + 1;
  if (x0 == 0 && x1 == width_ && lo == 0 && hi == h - 1 &&
      std::find(slots.begin() + 1, row_end, 0u) == row_end) {
    drop_pending_rows();
    pending_.y = -1;
    covered_ = true;
  } else {
    // Sizing the pixels is the one step here that can fail, and it comes first: what is held
    // stays held, unwritten and whole, when it does.
    size_pixels();
    if (takes_pending) pending_.y = -1;
    flush();
  }
  next->lo = lo;
  next->hi = hi;
  next->x0 = x0;
  next->x1 = x1;
  held_ = std::move(next);
}

int Canvas::row_pixel_slow(float y) const noexcept { return to_pixel(y, height_, scale_h_); }

void Canvas::set_scale_width(float v) {
  check_extent(v);
  scale_w_ = v;
}

void Canvas::set_scale_height(float v) {
  check_extent(v);
  scale_h_ = v;
}

void Canvas::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  if (width_ == 0 || height_ == 0) return;
  const int w = width_, h = height_;
  const int px1 = to_pixel(x1, w, scale_w_), py1 = to_pixel(y1, h, scale_h_);
  const int px2 = x2 == x1 ? px1 : to_pixel(x2, w, scale_w_);
  const int py2 = y2 == y1 ? py1 : to_pixel(y2, h, scale_h_);
  const std::uint32_t c = argb_of_rgb(rgb);
  if (py1 == py2) {  // a row: one span, clipped
    int x0 = px1 <= px2 ? px1 : px2 + 1, x1 = px1 <= px2 ? px2 : px1 + 1;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, w);
    if (py1 < 0 || py1 >= h || x0 >= x1) return;
    const bool covers = pending_.y == py1 && x0 <= pending_.x0 && x1 >= pending_.x1;
    if (!covers) flush();
    pending_ = {py1, x0, x1, c};
    return;
  }
  if (px1 == px2) {  // a column
    if (px1 < 0 || px1 >= w) return;
    const int lo = py1 < py2 ? py1 : py2 + 1, hi = py1 < py2 ? py2 : py1 + 1;
    const int y0 = std::max(lo, 0), y1 = std::min(hi, h);
    if (y0 >= y1 || hold_column(px1, y0, y1, c)) return;
    flush();
    // The stride in a local: a store through a pixel pointer could alias the raster's int width,
    // which would be read again for every pixel.
    const std::ptrdiff_t stride = raster_.width;
    std::uint32_t* p = raster_.row(y0) + px1;
    for (int y = y0; y < y1; ++y, p += stride) *p = c;
    return;
  }
  flush();
  const int n = std::max(std::abs(px2 - px1), std::abs(py2 - py1));
  for (int i = 0; i < n; ++i) {
    const int x = px1 + static_cast<int>(std::lround(double(px2 - px1) * i / n));
    const int y = py1 + static_cast<int>(std::lround(double(py2 - py1) * i / n));
    if (x >= 0 && x < w && y >= 0 && y < h) raster_.row(y)[x] = c;
  }
}

}  // namespace brelund
