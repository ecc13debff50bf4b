#include "render/face_painter.h"

#include "control/numeric.h"
#include "render/colour.h"

namespace brelund::render {

namespace {

using num::add32;
using num::sub32;
using num::to_i16;
using num::to_i32;

struct Rgb {
  std::int32_t r, g, b;
};

struct Tone {
  double r, g, b;
};

// One step of a band: the sum goes to 16 bits (failing on overflow) and is floored at zero.
double stepped(double c, double step) { return FloorAtZero(to_i16(c + step)); }

std::int32_t compose(const Tone& c) { return RGB(to_i16(c.r), to_i16(c.g), to_i16(c.b)); }

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

}  // namespace

void PaintFace(host::Surface& s, host::Label& label, host::Platform& platform,
               const FaceLook& look) {
  // A. Entry and temporary scale.
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

  // B. Tones.
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

  // C. Disabled look: the face runs from the base down to the dark tone and stays dark.
  if (!s.enabled()) {
    light = base;
    base = dark;
    label.set_fore_color(RGB(floored(add32(base.r, 50)), floored(add32(base.g, 50)),
                             floored(add32(base.b, 50))));
  }

  // D. Row gradient, one full-width line per row unit, N + 1 rows.
  double f = look.roundness3d / 100.0;
  if (!(f > 0)) f = 0.01;
  const double nf = n * f;
  const double bottom_edge = (1 - f) * n;
  const Tone top_step{sub32(base.r, light.r) / nf, sub32(base.g, light.g) / nf,
                      sub32(base.b, light.b) / nf};
  const Tone bottom_step{sub32(dark.r, base.r) / nf, sub32(dark.g, base.g) / nf,
                         sub32(dark.b, base.b) / nf};
  Tone c{static_cast<double>(light.r), static_cast<double>(light.g),
         static_cast<double>(light.b)};
  for (std::int32_t i = 0; i <= n; ++i) {
    const std::int32_t y = look.pressed ? n - i : i;
    const auto fy = static_cast<float>(y);
    s.line(0, fy, 1, fy, compose(c));
    const Tone* step = nf > y ? &top_step : bottom_edge < y ? &bottom_step : nullptr;
    if (step) c = {stepped(c.r, step->r), stepped(c.g, step->g), stepped(c.b, step->b)};
  }

  // E. Edge columns, each pulled in a little further than the one drawn before it.
  s.set_scale_width(static_cast<float>(m));
  const Tone left_step{sub32(base.r, light.r) / 5.0, sub32(base.g, light.g) / 5.0,
                       sub32(base.b, light.b) / 5.0};
  const Tone right_step{sub32(dark.r, base.r) / 5.0, sub32(dark.g, base.g) / 5.0,
                        sub32(dark.b, base.b) / 5.0};
  const Tone base_tone{static_cast<double>(base.r), static_cast<double>(base.g),
                       static_cast<double>(base.b)};
  c = base_tone;
  double inset = 0;
  for (std::int32_t i = 0; i <= m; ++i) {
    const std::int32_t x = look.pressed ? m - i : i;
    const Tone* step = x <= f                          ? &left_step
                       : s.scale_width() - 5 < x ? &right_step
                                                       : nullptr;
    if (!step) {
      c = base_tone;
      continue;
    }
    c = {stepped(c.r, step->r), stepped(c.g, step->g), stepped(c.b, step->b)};
    inset += s.scale_height() * f / m;
    const auto fx = static_cast<float>(x);
    s.line(fx, static_cast<float>(inset), fx, static_cast<float>(s.scale_height() - inset),
           compose(c));
  }

  // F. Restore the entry extents as whole numbers.
  restore.restore();
}

}  // namespace brelund::render
