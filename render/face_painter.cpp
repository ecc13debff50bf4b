#include "render/face_painter.h"

#include <algorithm>
#include <cmath>

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
    rows_[count_++] = {static_cast<float>(y), rgb, count, step};
    if (count_ == kSize) flush();
  }
  // Emptied before the surface is called, so that a failing surface never sees a row twice.
  void flush() {
    const int n = count_;
    count_ = 0;
    if (n > 0) s_.rows(rows_, n);
  }

 private:
  static constexpr int kSize = 128;
  host::Surface& s_;
  host::Surface::Row rows_[kSize];
  int count_ = 0;
};

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
  RowBatch batch(s);
  try {
    for (std::int32_t i = 0; i <= n; ++i) {
      const std::int32_t y = look.pressed ? n - i : i;
      if (nf > y || bottom_edge < y) {
        batch.add(y, rgb);
        c = nf > y ? top(c) : bottom(c);
        rgb = c.rgb();
        continue;
      }
      // Between the bands the colour holds, so the rows up to the next band go as one run:
      // upward to the last row not below the bottom band, downward to the first not in the top
      // one. Both tests are monotonic in y, so every row of the run is in the middle too.
      const double end = look.pressed ? std::max(0.0, std::ceil(nf))
                                      : std::min(static_cast<double>(n), std::floor(bottom_edge));
      const auto run = static_cast<std::int32_t>(look.pressed ? y - end : end - y) + 1;
      batch.add(y, rgb, run, look.pressed ? -1 : 1);
      i += run - 1;
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
  // drawn, so the extent read once here is the one each column would read.
  const float right_edge = s.scale_width() - 5;
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
    inset += s.scale_height() * f / m;
    const auto fx = static_cast<float>(x);
    s.line(fx, static_cast<float>(inset), fx, static_cast<float>(s.scale_height() - inset),
           c.rgb());
  }

  // Put the extents back, as whole numbers.
  restore.restore();
}

}  // namespace brelund::render
