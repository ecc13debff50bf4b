#include "host/qt/qt_hires.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace brelund::qt {

namespace {
int device(int logical, double ratio) { return static_cast<int>(std::lround(logical * ratio)); }

// The same mapping as the logical canvas: the device pixel whose cell holds the coordinate.
int to_pixel(double units, int pixels, double scale) {
  const double p = std::clamp(units * pixels / scale, -1e6, 1e6);
  if (!(p == p)) return -1;
  return static_cast<int>(std::floor(p));
}
}  // namespace

bool HiresFace::matches(double ratio, int logical_width, int logical_height) const noexcept {
  return active() && ratio == ratio_ && logical_width == logical_w_ && logical_height == logical_h_;
}

void HiresFace::reset(double ratio, int logical_width, int logical_height) {
  ratio_ = ratio;
  logical_w_ = logical_width;
  logical_h_ = logical_height;
  thickness_ = std::max(1, static_cast<int>(std::lround(ratio)));
  image_ =
      QImage(device(logical_width, ratio), device(logical_height, ratio), QImage::Format_RGB32);
  image_.fill(Qt::black);
}

void HiresFace::fill(int x0, int y0, int x1, int y1, QRgb c) noexcept {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image_.width());
  y1 = std::min(y1, image_.height());
  for (int y = y0; y < y1; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(row + std::max(x0, 0), row + std::max(x1, x0), c);
  }
}

void HiresFace::line(float x1, float y1, float x2, float y2, OleColor rgb, float scale_width,
                     float scale_height) noexcept {
  if (!active() || image_.width() == 0 || image_.height() == 0) return;
  const int w = image_.width(), h = image_.height(), t = thickness_;
  const int px1 = to_pixel(x1, w, scale_width), py1 = to_pixel(y1, h, scale_height);
  const int px2 = to_pixel(x2, w, scale_width), py2 = to_pixel(y2, h, scale_height);
  const QRgb c = argb_of_rgb(rgb);
  if (py1 == py2) {  // a row, one logical pixel thick
    const int x0 = px1 <= px2 ? px1 : px2 + 1, xe = px1 <= px2 ? px2 : px1 + 1;
    fill(x0, py1, xe, py1 + t, c);
    return;
  }
  if (px1 == px2) {  // a column
    const int lo = py1 < py2 ? py1 : py2 + 1, hi = py1 < py2 ? py2 : py1 + 1;
    fill(px1, lo, px1 + t, hi, c);
    return;
  }
  const int n = std::max(std::abs(px2 - px1), std::abs(py2 - py1));
  for (int i = 0; i < n; ++i) {
    const int x = px1 + static_cast<int>(std::lround(double(px2 - px1) * i / n));
    const int y = py1 + static_cast<int>(std::lround(double(py2 - py1) * i / n));
    fill(x, y, x + t, y + t, c);
  }
}

QRegion device_shape(const std::vector<shape::Region>& regions, double ratio) {
  QRegion shape;
  for (const shape::Region& region : regions)
    shape::for_each_span(shape::scaled(region, ratio), [&](int y, int l, int r) {
      const int top = static_cast<int>(std::floor(y / ratio));
      const int left = static_cast<int>(std::floor(l / ratio));
      const int right = static_cast<int>(std::ceil(r / ratio));
      if (right > left) shape += QRect(left, top, right - left, 1);
    });
  return shape;
}

QImage device_face(const Raster& logical, const HiresFace& hires,
                   const std::vector<shape::Region>& regions, bool shaped, double ratio) {
  QImage face;
  if (hires.matches(ratio, logical.width, logical.height)) {
    face = hires.image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  } else {
    const QImage small(reinterpret_cast<const uchar*>(logical.pixels.data()), logical.width,
                       logical.height, logical.width * 4, QImage::Format_ARGB32);
    face = small.scaled(device(logical.width, ratio), device(logical.height, ratio))
               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  if (shaped) {
    // Everything outside the shape's regions, drawn at device size, is cut away.
    QImage keep(face.size(), QImage::Format_Alpha8);
    keep.fill(0);
    for (const shape::Region& region : regions) {
      shape::for_each_span(shape::scaled(region, ratio), [&](int y, int l, int rr) {
        if (y < 0 || y >= keep.height()) return;
        l = std::clamp(l, 0, keep.width());
        rr = std::clamp(rr, 0, keep.width());
        if (l < rr) std::fill(keep.scanLine(y) + l, keep.scanLine(y) + rr, uchar{255});
      });
    }
    for (int y = 0; y < face.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(face.scanLine(y));
      const uchar* k = keep.constScanLine(y);
      for (int x = 0; x < face.width(); ++x)
        if (!k[x]) row[x] = 0;
    }
  }
  face.setDevicePixelRatio(ratio);
  return face;
}

}  // namespace brelund::qt
