#include "render/face_painter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <new>

#include "control/numeric.h"
#include "render/colour.h"
#include "render/shade.h"

namespace brelund::render {

namespace {

using num::add32;
using num::sub32;
using num::to_i16;
using num::to_i32;

struct Rgb {
  std::int32_t r, g, b;
};

Colour colour_of(const Rgb& c) { return {to_i16(c.r), to_i16(c.g), to_i16(c.b)}; }

// Puts the surface's scale back however the paint ends. The normal path restores explicitly so
// that a failing host call is reported; during unwinding the first error is the one that counts.
class ScaleRestore {
 public:
  ScaleRestore(host::Surface& s, std::int32_t h0, std::int32_t w0) : s_(s), h0_(h0), w0_(w0) {}
  ScaleRestore(const ScaleRestore&) = delete;
  ScaleRestore& operator=(const ScaleRestore&) = delete;
  ~ScaleRestore() {
    if (armed_) try {
        restore();
      } catch (...) {
      }
  }
  void restore() {
    armed_ = false;
    s_.set_scale_height(static_cast<float>(h0_));
    s_.set_scale_width(static_cast<float>(w0_));
  }

 private:
  host::Surface& s_;
  std::int32_t h0_, w0_;
  bool armed_ = true;
};

// Collects the full-width rows and hands them to the surface a batch at a time. Nothing between
// two rows can observe the surface, so the batches draw exactly what the rows one by one would.
class RowBatch {
 public:
  explicit RowBatch(host::Surface& s) : s_(s) {}
  void add(std::int32_t y, std::int32_t rgb, std::int32_t count = 1, std::int32_t step = 1) {
    new (&rows()[count_++]) Row{static_cast<float>(y), rgb, count, step};
    if (count_ == kSize) flush();
  }
  // Emptied before the surface is called, so that a failing surface never sees a row twice.
  void flush() {
    const int n = static_cast<int>(count_);
    count_ = 0;
    if (n > 0) s_.rows(rows(), n);
  }

 private:
  using Row = host::Surface::Row;
  static constexpr std::size_t kSize = 128;
  // Raw storage: an array of rows would write every record's defaults on each paint.
  Row* rows() noexcept { return std::launder(reinterpret_cast<Row*>(storage_)); }
  host::Surface& s_;
  alignas(Row) std::byte storage_[kSize * sizeof(Row)];
  // Not an int: the rows' own int fields could then alias it, and every row written would make
  // the count be read back from memory.
  std::size_t count_ = 0;
};

// Draws count rows of a band from y on, a step of dir apart, stepping the colour after each.
[[gnu::always_inline]] inline void shade_rows(RowBatch& batch, std::int32_t y, std::int32_t count,
                                              std::int32_t dir, const BandStep& step, Colour& c,
                                              std::int32_t& rgb) {
  for (std::int32_t k = 0; k < count; ++k, y += dir) {
    batch.add(y, rgb);
    c = step(c);
    rgb = c.rgb();
  }
}

}  // namespace

void PaintFace(host::Surface& s, host::Label& label, host::Platform& platform,
               const FaceLook& look) {
  // Work in a temporary scale of whole pixels, remembering the extents to put back.
  const float entry_height = s.scale_height();
  const std::int32_t n = to_i32(entry_height / 10.0);
  const std::int32_t h0 = to_i32(entry_height);
  const std::int32_t w0 = to_i32(s.scale_width());
  if (h0 < 2 || w0 < 2) return;
  const std::int32_t m = to_i32(w0 / 10.0);
  // A row or column unit of zero would make the band steps divide by zero; such extents never
  // occur on a twip scale, so they are treated like the early return above.
  if (n == 0 || m == 0) return;

  ScaleRestore restore(s, h0, w0);
  s.set_scale_height(static_cast<float>(n));
  s.set_scale_width(1);
  s.set_draw_style(0);

  // The light and dark tones around the base colour.
  const Colores split = SplitColor(SysColorToRgb(platform, look.back_color));
  Rgb base{split.Red, split.Green, split.Blue};
  if (look.lit) {
    const std::int32_t half = look.light / 2;  // truncates toward zero
    base = {add32(base.r, half), add32(base.g, half), add32(base.b, half)};
  }
  auto floored = [](std::int32_t v) -> std::int32_t { return FloorAtZero(to_i16(v)); };
  Rgb light{floored(add32(base.r, look.light)), floored(add32(base.g, look.light)),
            floored(add32(base.b, look.light))};
  const Rgb dark{floored(sub32(base.r, look.light)), floored(sub32(base.g, look.light)),
                 floored(sub32(base.b, look.light))};

  // A disabled face runs from the base down to the dark tone and stays dark.
  if (!s.enabled()) {
    light = base;
    base = dark;
    label.set_fore_color(
        RGB(floored(add32(base.r, 50)), floored(add32(base.g, 50)), floored(add32(base.b, 50))));
  }

  // The rows: one full-width line per row unit, N + 1 of them.
  double f = look.roundness3d / 100.0;
  if (!(f > 0)) f = 0.01;
  const double nf = n * f;
  const double bottom_edge = (1 - f) * n;
  const Step top_step{sub32(base.r, light.r) / nf, sub32(base.g, light.g) / nf,
                      sub32(base.b, light.b) / nf};
  const Step bottom_step{sub32(dark.r, base.r) / nf, sub32(dark.g, base.g) / nf,
                         sub32(dark.b, base.b) / nf};
  Colour c = colour_of(light);
  std::int32_t rgb = c.rgb();
  const BandStep top(top_step), bottom(bottom_step);
  // Row y steps in the top band while y < nf and in the bottom one while y > bottom_edge, the
  // top band first where both hold; between them the colour holds. As whole-number bounds the
  // bands are [0, top_end) and [bottom_start, n], and the rows between go as one run.
  auto row_bound = [n](double v) { return static_cast<std::int32_t>(std::clamp(v, 0.0, n + 1.0)); };
  const std::int32_t top_end = row_bound(std::ceil(nf));
  const std::int32_t bottom_start = std::max(top_end, row_bound(std::floor(bottom_edge) + 1));
  const std::int32_t middle_rows = bottom_start - top_end;
  RowBatch batch(s);
  const std::int32_t dir = look.pressed ? -1 : 1;
  try {
    if (!look.pressed) {
      shade_rows(batch, 0, top_end, dir, top, c, rgb);
      if (middle_rows > 0) batch.add(top_end, rgb, middle_rows, 1);
      shade_rows(batch, bottom_start, n + 1 - bottom_start, dir, bottom, c, rgb);
    } else {
      shade_rows(batch, n, n + 1 - bottom_start, dir, bottom, c, rgb);
      if (middle_rows > 0) batch.add(bottom_start - 1, rgb, middle_rows, -1);
      shade_rows(batch, top_end - 1, top_end, dir, top, c, rgb);
    }
  } catch (...) {
    // An overflow stops the paint after the rows already worked out, and those still show.
    batch.flush();
    throw;
  }
  batch.flush();

  // The edge columns, each pulled in a little further than the one drawn before it.
  s.set_scale_width(static_cast<float>(m));
  const Step left_step{sub32(base.r, light.r) / 5.0, sub32(base.g, light.g) / 5.0,
                       sub32(base.b, light.b) / 5.0};
  const Step right_step{sub32(dark.r, base.r) / 5.0, sub32(dark.g, base.g) / 5.0,
                        sub32(dark.b, base.b) / 5.0};
  const Colour base_tone = colour_of(base);
  c = base_tone;
  double inset = 0;
  // The right band is where x exceeds ScaleWidth - 5. Nothing else runs while the columns are
  // drawn, so the extents read once here are the ones each column would read.
  const float right_edge = s.scale_width() - 5;
  const float height = s.scale_height();
  const double inset_step = height * f / m;
  auto band = [&](std::int32_t x) -> const Step* {
    return x <= f ? &left_step : right_edge < x ? &right_step : nullptr;
  };
  for (std::int32_t i = 0; i <= m; ++i) {
    const std::int32_t x = look.pressed ? m - i : i;
    const Step* step = band(x);
    if (!step) {
      c = base_tone;
      // The middle columns only set the colour back, so the run of them is passed over at once.
      // Upward it ends at the last column not beyond the right edge, downward at the last one
      // above f; each band test is monotonic in x, so when the run's last column is still in
      // the middle, so is every column before it.
      const double end_x = look.pressed ? std::floor(f) + 1 : std::floor(double{right_edge});
      if (end_x >= 0 && end_x <= m) {
        const auto last_x = static_cast<std::int32_t>(end_x);
        const std::int32_t last_i = look.pressed ? m - last_x : last_x;
        if (last_i > i && !band(last_x)) i = last_i;
      }
      continue;
    }
    c = stepped(c, *step);
    inset += inset_step;
    const auto fx = static_cast<float>(x);
    s.line(fx, static_cast<float>(inset), fx, static_cast<float>(height - inset), c.rgb());
  }

  // Put the extents back, as whole numbers.
  restore.restore();
}

}  // namespace brelund::render
