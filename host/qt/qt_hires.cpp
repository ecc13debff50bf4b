#include "host/qt/qt_hires.h"

#include <algorithm>
#include <cmath>

namespace brelund::qt {

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
    const Raster& image = hires.image();
    face = QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  image.width * 4, QImage::Format_RGB32)
               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  } else {
    const QImage small(reinterpret_cast<const uchar*>(logical.pixels.data()), logical.width,
                       logical.height, logical.width * 4, QImage::Format_ARGB32);
    face = small
               .scaled(host::device_pixels(logical.width, ratio),
                       host::device_pixels(logical.height, ratio))
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
