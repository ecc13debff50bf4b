#include "host/qt/qt_values.h"

#include <QFontInfo>
#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

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
  // A font sized in pixels (setPixelSize, a style sheet's `font-size: 30px`) has no point size
  // of its own: the points it shows at on this screen keep its size in the caption.
  double points = q.pointSizeF();
  if (points <= 0 && q.pixelSize() > 0) points = QFontInfo(q).pointSizeF();
  f->size = points > 0 ? points : Font{}.size;
  f->bold = q.bold();
  f->italic = q.italic();
  f->underline = q.underline();
  f->strikethrough = q.strikeOut();
  f->weight = static_cast<std::int16_t>(q.bold() ? 700 : std::clamp<int>(q.weight(), 100, 900));
  return f;
}

// Made once and never destroyed: a QFont torn down after the application's font database
// would reach into it.
FontRef shared_from_qfont(const QFont& q) {
  static auto* last = new std::pair<QFont, FontRef>();
  if (!last->second || last->first != q || last->first.resolveMask() != q.resolveMask())
    *last = {q, from_qfont(q)};
  return last->second;
}

QFont caption_qfont(const Font& f) {
  static auto* last = new std::optional<std::pair<Font, QFont>>();
  if (!*last || !((*last)->first == f)) {
    QFont q = to_qfont(f);
    // With the lighter hinting of most desktops Qt spaces letters by their unhinted widths, and
    // kerns pairs such as "Ye": a caption would measure a few pixels wider or narrower than on
    // the other hosts, which draw as Windows does.
    q.setHintingPreference(QFont::PreferFullHinting);
    q.setKerning(false);
    last->emplace(f, q);
  }
  return (*last)->second;
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

namespace {
// Builds a region from its runs, given row by row from top to bottom. Rows with the same runs as
// the row above extend its rectangles downward, so a rounded button is a few dozen rectangles,
// not one per pixel row; and the region is built in one call, not by a union per rectangle. Qt
// does region arithmetic for every masked widget on each repaint of its parent, so the count
// matters there too.
class RowRegion {
 public:
  void run(int y, int from, int to) {
    if (y != row_) {
      if (row_ >= 0) end_row();
      // A row without runs in between breaks the rectangles above it.
      if (y != row_ + 1) above_.clear();
      row_ = y;
    }
    runs_.emplace_back(from, to);
  }
  QRegion finish() {
    if (row_ >= 0) end_row();
    QRegion region;
    if (!rects_.empty()) region.setRects(rects_.data(), static_cast<int>(rects_.size()));
    return region;
  }

 private:
  void end_row() {
    if (!runs_.empty() && runs_ == above_ && row_ > 0) {
      for (std::size_t i = above_first_; i < rects_.size(); ++i)
        rects_[i].setBottom(rects_[i].bottom() + 1);
    } else {
      above_first_ = rects_.size();
      for (const auto& [from, to] : runs_) rects_.emplace_back(from, row_, to - from, 1);
      above_.swap(runs_);
    }
    runs_.clear();
  }
  std::vector<QRect> rects_;
  std::vector<std::pair<int, int>> runs_, above_;
  std::size_t above_first_ = 0;  // where the rectangles of the row above start in `rects_`
  int row_ = -1;
};
}  // namespace

QRegion mask_region(const MaskShape& mask) {
  RowRegion region;
  mask.for_each_run([&](int y, int from, int to) { region.run(y, from, to); });
  return region.finish();
}

}  // namespace brelund::qt
