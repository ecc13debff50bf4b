// cairo drawing the same look into an ARGB32 image of the same size: clipped to the rounded
// rectangle (aliased, like a window region), then either one line per pixel row or a linear
// gradient, and the shaded side columns. The report compares us with cairo's faster way.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <array>
#include <memory>
#include <numbers>

#include "bench/sizes.h"

namespace brelund::bench {
namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

constexpr double kPi = std::numbers::pi;

double unit(double component) { return component / 255.0; }

void rounded_rect(cairo_t* cr, double w, double h, double r) {
  cairo_new_path(cr);
  cairo_arc(cr, w - r, r, r, -kPi / 2, 0);
  cairo_arc(cr, w - r, h - r, r, 0, kPi / 2);
  cairo_arc(cr, r, h - r, r, kPi / 2, kPi);
  cairo_arc(cr, r, r, r, kPi, 3 * kPi / 2);
  cairo_close_path(cr);
}

// The tone of row y of h rows: light to base over the top band, base, base to dark at the bottom.
std::array<double, 3> row_tone(const Look& look, int y, int h) {
  const double band = look.bevel * h;
  const auto lt = look.light_tone(), dk = look.dark_tone();
  std::array<double, 3> c{};
  for (int i = 0; i < 3; ++i) {
    if (y < band)
      c[i] = lt[i] + (look.base[i] - lt[i]) * (y / band);
    else if (y > h - band)
      c[i] = look.base[i] + (dk[i] - look.base[i]) * ((y - (h - band)) / band);
    else
      c[i] = look.base[i];
    c[i] /= 255.0;
  }
  return c;
}

void side_columns(cairo_t* cr, const Look& look, int w, int h) {
  const auto lt = look.light_tone(), dk = look.dark_tone();
  cairo_set_line_width(cr, 1);
  for (int i = 0; i < 6; ++i) {  // one light column on the left, five darkening on the right
    const bool left = i == 0;
    const double t = left ? 0.5 : i / 5.0;
    const auto& to = left ? lt : dk;
    cairo_set_source_rgb(cr, unit(look.base[0] + (to[0] - look.base[0]) * t),
                         unit(look.base[1] + (to[1] - look.base[1]) * t),
                         unit(look.base[2] + (to[2] - look.base[2]) * t));
    const double x = left ? 0.5 : w - 6 + i + 0.5;
    const double inset = h * look.bevel * (left ? 6 : i) / 60.0;
    cairo_move_to(cr, x, inset);
    cairo_line_to(cr, x, h - inset);
    cairo_stroke(cr);
  }
}

template <bool Gradient>
void paint(benchmark::State& state, Size size) {
  const Look look;
  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height));
  std::unique_ptr<cairo_t, ContextDeleter> ctx(cairo_create(surface.get()));
  cairo_t* cr = ctx.get();
  const double w = size.width, h = size.height;
  for (auto _ : state) {
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    rounded_rect(cr, w, h, look.round / 2.0);
    cairo_clip(cr);
    if constexpr (Gradient) {
      const auto lt = look.light_tone(), dk = look.dark_tone();
      std::unique_ptr<cairo_pattern_t, decltype(&cairo_pattern_destroy)> g(
          cairo_pattern_create_linear(0, 0, 0, h), cairo_pattern_destroy);
      cairo_pattern_add_color_stop_rgb(g.get(), 0, unit(lt[0]), unit(lt[1]), unit(lt[2]));
      cairo_pattern_add_color_stop_rgb(g.get(), look.bevel, unit(look.base[0]), unit(look.base[1]),
                                       unit(look.base[2]));
      cairo_pattern_add_color_stop_rgb(g.get(), 1 - look.bevel, unit(look.base[0]),
                                       unit(look.base[1]), unit(look.base[2]));
      cairo_pattern_add_color_stop_rgb(g.get(), 1, unit(dk[0]), unit(dk[1]), unit(dk[2]));
      cairo_set_source(cr, g.get());
      cairo_paint(cr);
    } else {
      for (int y = 0; y < size.height; ++y) {
        const auto c = row_tone(look, y, size.height);
        cairo_set_source_rgb(cr, c[0], c[1], c[2]);
        cairo_rectangle(cr, 0, y, w, 1);
        cairo_fill(cr);
      }
    }
    side_columns(cr, look, size.width, size.height);
    cairo_restore(cr);
    cairo_surface_flush(surface.get());
    benchmark::DoNotOptimize(cairo_image_surface_get_data(surface.get()));
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes) {
    benchmark::RegisterBenchmark(("cairo/rows/" + s.label()).c_str(), paint<false>, s);
    benchmark::RegisterBenchmark(("cairo/gradient/" + s.label()).c_str(), paint<true>, s);
  }
  return true;
}();

}  // namespace
}  // namespace brelund::bench
