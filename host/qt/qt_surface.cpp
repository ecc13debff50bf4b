#include "host/qt/qt_surface.h"

#include <QBitmap>
#include <QCursor>
#include <QPixmap>

#include "host/qt/qt_values.h"

namespace brelund::qt {

Surface::Surface(QWidget& widget, host::WindowHandle hwnd) : widget_(widget), hwnd_(hwnd) {}

void Surface::changed(host::Change what) {
  switch (what) {
    case host::Change::size:
      widget_.resize(pixels().width, pixels().height);
      break;
    // Coalesced by Qt: one repaint however many lines a face takes.
    case host::Change::drawing:
      widget_.update();
      break;
    case host::Change::mask:
      apply_shape();
      break;
    // A disabled control gets neither pointer nor keyboard notifications, as on the desktop.
    case host::Change::enabled:
      widget_.setEnabled(enabled() != 0);
      break;
    case host::Change::pointer:
      apply_cursor();
      break;
    default:
      break;
  }
}

void Surface::apply_shape() {
  const PictureRef& mask = mask_picture();
  if (!mask || mask->handle == 0) {
    widget_.clearMask();
    return;
  }
  QRegion shape = mask_region(*mask);
  // Qt reads an empty mask as "no mask"; an all-white picture must hide the whole window, so
  // the shape becomes a pixel outside it instead.
  if (shape.isEmpty()) shape = QRegion(-1, -1, 1, 1);
  // A rebuild that keeps the shape (a new caption, colour or look) leaves Qt's mask alone:
  // setting one makes Qt recompute the exposed area of the parent.
  if (widget_.mask() != shape) widget_.setMask(shape);
}

void Surface::apply_cursor() {
  static constexpr Qt::CursorShape kShapes[16] = {
      Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
      Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
      Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
      Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};
  const std::int16_t shape = mouse_pointer();
  if (shape == 0) {
    widget_.unsetCursor();
  } else if (shape == 99) {
    const PictureRef custom = mouse_icon();
    const QImage icon = custom ? to_qimage(*custom) : QImage();
    if (icon.isNull())
      widget_.unsetCursor();
    else
      widget_.setCursor(QCursor(QPixmap::fromImage(icon)));
  } else {
    widget_.setCursor(kShapes[shape]);
  }
}

void Surface::property_changed(std::string_view name) {
  if (on_property_changed) on_property_changed(name);
}

}  // namespace brelund::qt
