// The button's icon (QAbstractButton::setIcon) where the control's picture would be. The control
// lays out a picture by its handle and size only, so a stand-in picture of the icon's size, kept
// here and never handed to the control, lets the control's own layout place the icon and the
// caption beside it exactly as it places a picture of that size. The control's Picture stays
// what was set or loaded; a set Picture wins over the icon.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRect>

#include "host/common/stored_children.h"

namespace brelund::qt {

class IconBox final : public host::StoredImage {
 public:
  // What the button shows for `icon` at `size` (its iconSize) on a screen of `ratio` in `mode`
  // and `state`: true when that changed what is shown or its size, and the content must be laid
  // out again.
  bool show(const QIcon& icon, QSize size, double ratio, QIcon::Mode mode, QIcon::State state);
  // Shows nothing; true when something was shown.
  bool hide();
  bool shown() const noexcept { return !pixmap_.isNull(); }
  const QPixmap& pixmap() const noexcept { return pixmap_; }
  // Where the control's layout put it, in widget pixels (not mirrored).
  QRect rect();

 private:
  QPixmap pixmap_;
  QSize laid_out_;  // the size the stand-in picture has
};

}  // namespace brelund::qt
