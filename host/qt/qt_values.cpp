#include "host/qt/qt_values.h"

#include <algorithm>
#include <cstring>

#include "brelund/units.h"
#include "render/colour.h"

namespace brelund::qt {

QFont to_qfont(const Font& f) {
  QFont q(QString::fromStdString(f.name));
  if (f.size > 0) q.setPointSizeF(f.size);
  // The weight carries boldness in the automation font; Bold alone still wins when set.
  q.setWeight(f.bold ? QFont::Bold
                     : static_cast<QFont::Weight>(std::clamp<int>(f.weight, 100, 900)));
  q.setItalic(f.italic);
  q.setUnderline(f.underline);
  q.setStrikeOut(f.strikethrough);
  return q;
}

FontRef from_qfont(const QFont& q) {
  auto f = std::make_shared<Font>();
  f->name = q.family().toStdString();
  f->size = q.pointSizeF() > 0 ? q.pointSizeF() : Font{}.size;
  f->bold = q.bold();
  f->italic = q.italic();
  f->underline = q.underline();
  f->strikethrough = q.strikeOut();
  f->weight = static_cast<std::int16_t>(q.bold() ? 700 : std::clamp<int>(q.weight(), 100, 900));
  return f;
}

QImage to_qimage(const Picture& p) {
  if (p.handle == 0 || p.width <= 0 || p.height <= 0) return {};
  QImage img(p.width, p.height, QImage::Format_ARGB32);
  for (int y = 0; y < p.height; ++y)
    std::memcpy(img.scanLine(y), p.pixels.data() + static_cast<std::size_t>(y) * p.width,
                static_cast<std::size_t>(p.width) * 4);
  return img;
}

PictureRef from_qimage(const QImage& img) {
  if (img.isNull()) return make_empty_picture();
  const QImage a = img.convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint32_t> px(static_cast<std::size_t>(a.width()) * a.height());
  for (int y = 0; y < a.height(); ++y)
    std::memcpy(px.data() + static_cast<std::size_t>(y) * a.width(), a.constScanLine(y),
                static_cast<std::size_t>(a.width()) * 4);
  return make_picture(a.width(), a.height(), std::move(px));
}

QColor to_qcolor(host::Platform& platform, OleColor c) {
  const std::int32_t rgb = SysColorToRgb(platform, c);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

QRegion mask_region(const Picture& mask) {
  QRegion region;
  units::for_each_opaque_span(
      mask, [&](int y, int from, int to) { region += QRect(from, y, to - from, 1); });
  return region;
}

}  // namespace brelund::qt
