// Qt's raster painter drawing the same look into a QImage of the same size: clipped to the
// rounded rectangle (no antialiasing, like a window region), then either one fillRect per pixel
// row or a linear gradient, and the shaded side columns.
#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "bench/sizes.h"

namespace brelund::bench {
namespace {

QColor colour(const std::array<int, 3>& c) { return QColor(c[0], c[1], c[2]); }

QColor mixed(const Look& look, const std::array<int, 3>& to, double t) {
  return QColor(static_cast<int>(look.base[0] + (to[0] - look.base[0]) * t),
                static_cast<int>(look.base[1] + (to[1] - look.base[1]) * t),
                static_cast<int>(look.base[2] + (to[2] - look.base[2]) * t));
}

void side_columns(QPainter& p, const Look& look, int w, int h) {
  for (int i = 0; i < 6; ++i) {  // one light column on the left, five darkening on the right
    const bool left = i == 0;
    const int x = left ? 0 : w - 6 + i;
    const int inset = static_cast<int>(h * look.bevel * (left ? 6 : i) / 60.0);
    p.fillRect(x, inset, 1, h - 2 * inset,
               left ? mixed(look, look.light_tone(), 0.5) : mixed(look, look.dark_tone(), i / 5.0));
  }
}

template <bool Gradient>
void paint(benchmark::State& state, Size size) {
  const Look look;
  QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainterPath clip;
  clip.addRoundedRect(QRectF(0, 0, size.width, size.height), look.round / 2.0, look.round / 2.0);
  const double band = look.bevel * size.height;
  for (auto _ : state) {
    QPainter p(&image);  // a paint event opens a painter each time, as a widget would
    p.setClipPath(clip);
    if constexpr (Gradient) {
      QLinearGradient g(0, 0, 0, size.height);
      g.setColorAt(0, colour(look.light_tone()));
      g.setColorAt(look.bevel, colour(look.base));
      g.setColorAt(1 - look.bevel, colour(look.base));
      g.setColorAt(1, colour(look.dark_tone()));
      p.fillRect(0, 0, size.width, size.height, g);
    } else {
      for (int y = 0; y < size.height; ++y) {
        const QColor c = y < band ? mixed(look, look.light_tone(), 1 - y / band)
                         : y > size.height - band
                             ? mixed(look, look.dark_tone(), (y - (size.height - band)) / band)
                             : colour(look.base);
        p.fillRect(0, y, size.width, 1, c);
      }
    }
    side_columns(p, look, size.width, size.height);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes) {
    benchmark::RegisterBenchmark(("qt/rows/" + s.label()).c_str(), paint<false>, s);
    benchmark::RegisterBenchmark(("qt/gradient/" + s.label()).c_str(), paint<true>, s);
  }
  return true;
}();

}  // namespace
}  // namespace brelund::bench
