#include "host/qt/qt_icon.h"

#include <cmath>
#include <memory>

#include "brelund/units.h"

namespace brelund::qt {

bool IconBox::show(const QIcon& icon, QSize size, double ratio, QIcon::Mode mode,
                   QIcon::State state) {
  // QIcon keeps the pixmaps it made, so asking again for an unchanged icon costs a look-up.
  pixmap_ = icon.isNull() ? QPixmap() : icon.pixmap(size, ratio, mode, state);
  if (pixmap_.isNull()) return hide();
  // An icon smaller than iconSize is shown at its own size, as QPushButton shows it.
  const QSize natural = pixmap_.deviceIndependentSize().toSize();
  if (natural == laid_out_) return false;
  laid_out_ = natural;
  auto stand_in = std::make_shared<Picture>();
  stand_in->handle = 1;  // any handle but 0: the layout reads only that and the size
  stand_in->width = natural.width();
  stand_in->height = natural.height();
  set_picture(std::move(stand_in));
  return true;
}

bool IconBox::hide() {
  pixmap_ = QPixmap();
  if (laid_out_.isEmpty()) return false;
  laid_out_ = QSize();
  set_picture(nullptr);
  return true;
}

QRect IconBox::rect() {
  if (!shown()) return {};
  return {units::position_pixels(left()), units::position_pixels(top()), laid_out_.width(),
          laid_out_.height()};
}

}  // namespace brelund::qt
