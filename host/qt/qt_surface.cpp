#include "host/qt/qt_surface.h"

#include <QBitmap>
#include <QCursor>
#include <QPixmap>

#include "host/error.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

Surface::Surface(QWidget& widget, host::WindowHandle hwnd)
    : widget_(widget), hwnd_(hwnd), ambient_(std::make_shared<Font>()) {}

void Surface::set_size(float width_twips, float height_twips) {
  width_ = width_twips;
  height_ = height_twips;
  canvas_.resize(width_twips, height_twips);
  widget_.resize(canvas_.raster().width, canvas_.raster().height);
}

void Surface::set_ambient_font(FontRef f) {
  ambient_ = f ? std::move(f) : std::make_shared<Font>();
}

void Surface::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  canvas_.line(x1, y1, x2, y2, rgb);
  widget_.update();  // coalesced by Qt: one repaint however many lines a face takes
}

void Surface::set_mask_picture(PictureRef mask) {
  mask_ = std::move(mask);
  if (!mask_ || mask_->handle == 0) {
    widget_.clearMask();
    return;
  }
  QRegion shape = mask_region(*mask_);
  // Qt reads an empty mask as "no mask"; an all-white picture must hide the whole window, so
  // the shape becomes a pixel outside it instead.
  if (shape.isEmpty()) shape = QRegion(-1, -1, 1, 1);
  widget_.setMask(shape);
}

void Surface::set_enabled(Bool16 v) {
  enabled_ = v;
  // A disabled control gets neither pointer nor keyboard notifications, as on the desktop.
  widget_.setEnabled(v != 0);
}

void Surface::set_mouse_pointer(std::int16_t v) {
  // The host's pointer shapes: 0 to 15, and 99 for a custom icon.
  if ((v < 0 || v > 15) && v != 99)
    throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  mouse_pointer_ = v;
  apply_cursor();
}

void Surface::set_mouse_icon(PictureRef p) {
  mouse_icon_ = std::move(p);
  apply_cursor();
}

void Surface::apply_cursor() {
  static constexpr Qt::CursorShape kShapes[16] = {
      Qt::ArrowCursor,     Qt::ArrowCursor,   Qt::CrossCursor,     Qt::IBeamCursor,
      Qt::ArrowCursor,     Qt::SizeAllCursor, Qt::SizeBDiagCursor, Qt::SizeVerCursor,
      Qt::SizeFDiagCursor, Qt::SizeHorCursor, Qt::UpArrowCursor,   Qt::WaitCursor,
      Qt::ForbiddenCursor, Qt::BusyCursor,    Qt::WhatsThisCursor, Qt::SizeAllCursor};
  if (mouse_pointer_ == 0) {
    widget_.unsetCursor();
  } else if (mouse_pointer_ == 99) {
    const QImage icon = mouse_icon_ ? to_qimage(*mouse_icon_) : QImage();
    if (icon.isNull())
      widget_.unsetCursor();
    else
      widget_.setCursor(QCursor(QPixmap::fromImage(icon)));
  } else {
    widget_.setCursor(kShapes[mouse_pointer_]);
  }
}

void Surface::property_changed(std::string_view name) {
  if (on_property_changed) on_property_changed(name);
}

}  // namespace brelund::qt
