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
  // Rows with the same runs as the row above extend its rectangles downward, so a rounded
  // button is a few dozen rectangles, not one per pixel row; and the region is built in one
  // call, not by a union per rectangle. Qt does region arithmetic for every masked widget on
  // each repaint of its parent, so the count matters there too.
  std::vector<QRect> rects;
  std::vector<std::pair<int, int>> runs, above;
  std::size_t above_first = 0;  // where the rectangles of the row above start in `rects`
  int row = -1;
  auto end_row = [&] {
    if (!runs.empty() && runs == above && row > 0) {
      for (std::size_t i = above_first; i < rects.size(); ++i)
        rects[i].setBottom(rects[i].bottom() + 1);
    } else {
      above_first = rects.size();
      for (const auto& [from, to] : runs) rects.emplace_back(from, row, to - from, 1);
      above.swap(runs);
    }
    runs.clear();
  };
  units::for_each_opaque_span(mask, [&](int y, int from, int to) {
    if (y != row) {
      if (row >= 0) end_row();
      // A row without runs in between breaks the rectangles above it.
      if (y != row + 1) above.clear();
      row = y;
    }
    runs.emplace_back(from, to);
  });
  if (row >= 0) end_row();
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

}  // namespace brelund::qt
