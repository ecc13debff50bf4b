#include "host/qt/qt_surface.h"

#include <QBitmap>
#include <QCursor>
#include <QPixmap>

#include "host/qt/qt_values.h"

namespace brelund::qt {

Surface::Surface(QPushButton& button, host::WindowHandle hwnd) : button_(button), hwnd_(hwnd) {}

Bool16 Surface::enabled() {
  if (!StoredSurface::enabled()) return kFalse;
  if (saving) return kTrue;
  const QWidget* parent = button_.parentWidget();
  return parent && !parent->isEnabled() ? kFalse : kTrue;
}

void Surface::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  StoredSurface::line(x1, y1, x2, y2, rgb);
  also(x1, y1, x2, y2, rgb);
}

void Surface::rows(const Row* rows, int count) {
  StoredSurface::rows(rows, count);
  // The batch stays one call at a ratio of 1 with nobody watching, as it is meant to.
  if (!hooks.line && !hires_.active() && button_.devicePixelRatioF() <= 1) return;
  for (int i = 0; i < count; ++i)
    for (std::int32_t j = 0; j < rows[i].count; ++j)
      also(0, rows[i].y_at(j), 1, rows[i].y_at(j), rows[i].rgb);
}

void Surface::also(float x1, float y1, float x2, float y2, OleColor rgb) {
  const double ratio = button_.devicePixelRatioF();
  if (ratio > 1) {
    if (!hires_.matches(ratio, pixels().width, pixels().height))
      hires_.reset(ratio, pixels().width, pixels().height);
    hires_.line(x1, y1, x2, y2, rgb, scale_width(), scale_height());
  } else if (hires_.active()) {
    hires_.clear();
  }
  if (hooks.line) hooks.line(x1, y1, x2, y2, rgb);
}

void Surface::refresh() {
  button_.update();
  if (hooks.refresh) hooks.refresh();
}

void Surface::property_changed(std::string_view name) {
  if (hooks.property_changed) hooks.property_changed(name);
}

std::optional<bool> Surface::extender_default() {
  if (!extender_present) return std::nullopt;
  return button_.isDefault();
}

std::optional<bool> Surface::extender_cancel() {
  if (!extender_present) return std::nullopt;
  return cancel;
}

void Surface::changed(host::Change what) {
  switch (what) {
    case host::Change::size:
      hires_.clear();
      button_.resize(pixels().width, pixels().height);
      break;
    // Coalesced by Qt: one repaint however many lines a face takes.
    case host::Change::drawing:
      button_.update();
      break;
    case host::Change::mask:
      apply_shape();
      if (hooks.mask) hooks.mask(mask_picture());
      break;
    // A disabled control gets neither pointer nor keyboard notifications, as on the desktop.
    case host::Change::enabled:
      applying_enabled = true;
      button_.setEnabled(own_enabled() != 0);
      applying_enabled = false;
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
    button_.clearMask();
    return;
  }
  const double ratio = button_.devicePixelRatioF();
  // On a high-DPI screen the window keeps every logical pixel the shape touches at device
  // resolution; the face cuts the rest away pixel by pixel (see device_face).
  QRegion shape = ratio > 1 && regions ? device_shape(*regions, ratio) : mask_region(*mask);
  // Qt reads an empty mask as "no mask"; an all-white picture must hide the whole window, so
  // the shape becomes a pixel outside it instead.
  if (shape.isEmpty()) shape = QRegion(-1, -1, 1, 1);
  // A rebuild that keeps the shape (a new caption, colour or look) leaves Qt's mask alone:
  // setting one makes Qt recompute the exposed area of the parent.
  if (button_.mask() != shape) button_.setMask(shape);
}

void Surface::apply_cursor() {
  static constexpr Qt::CursorShape kShapes[16] = {
      Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
      Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
      Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
      Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};
  const std::int16_t shape = mouse_pointer();
  if (shape == 0) {
    button_.unsetCursor();
  } else if (shape == 99) {
    const PictureRef custom = mouse_icon();
    const QImage icon = custom ? to_qimage(*custom) : QImage();
    if (icon.isNull())
      button_.unsetCursor();
    else
      button_.setCursor(QCursor(QPixmap::fromImage(icon)));
  } else {
    button_.setCursor(kShapes[shape]);
  }
}

}  // namespace brelund::qt
