#include "host/qt/qt_surface.h"

#include <QBitmap>
#include <QCursor>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <memory>
#include <new>

#include "host/qt/qt_children.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
// Buttons of one shape share one mask value; they share its window shape too. Qt's regions are
// implicitly shared, so a button given the region another button holds keeps no copy of its
// rectangles, where a region made for each button cost every one of them its own. Widgets live
// on one thread, the one this cache is used from.
QRegion shared_region(const MaskRef& mask) {
  struct Made {
    std::weak_ptr<const MaskShape> mask;
    QRegion region;
  };
  static std::array<Made, 8> made;
  static std::size_t next = 0;
  for (const Made& m : made)
    if (const MaskRef held = m.mask.lock(); held && (held == mask || *held == *mask))
      return m.region;
  Made& slot = made[next];
  next = (next + 1) % made.size();
  slot = {mask, mask_region(*mask)};
  return slot.region;
}
}  // namespace

Surface::Surface(QPushButton& button, host::WindowHandle hwnd) : hwnd_(hwnd), button_(button) {}

Bool16 Surface::enabled() {
  if (!StoredSurface::enabled()) return kFalse;
  if (saving) return kTrue;
  const QWidget* parent = button_.parentWidget();
  return parent && !parent->isEnabled() ? kFalse : kTrue;
}

double Surface::ratio() {
  if (steps_ == 0) return button_.devicePixelRatioF();
  if (!ratio_) ratio_ = button_.devicePixelRatioF();
  return *ratio_;
}

void Surface::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  StoredSurface::line(x1, y1, x2, y2, rgb);
  if (HiresFace* face = device_face())
    face->line(ratio(), pixel_width(), pixel_height(), x1, y1, x2, y2, rgb, scale_width(),
               scale_height());
}

void Surface::rows(const Row* rows, int count) {
  ++faces_painted;
  // A watching tool sees each row as a line of its own, which line() also draws at device
  // resolution.
  if (watcher()) return StoredSurface::rows(rows, count);
  StoredSurface::rows(rows, count);
  if (HiresFace* face = device_face())
    face->rows(ratio(), pixel_width(), pixel_height(), rows, count, scale_width(), scale_height());
}

HiresFace* Surface::device_face() {
  if (ratio() <= 1) {
    hires_.reset();
    return nullptr;
  }
  if (!hires_) hires_ = std::make_unique<HiresFace>();
  return hires_.get();
}

const HiresFace& Surface::hires() const noexcept {
  static const HiresFace none;
  return hires_ ? *hires_ : none;
}

void Surface::redraw() { button_.update(); }

void Surface::notify(std::string_view name) {
  forget_ratio();
  if (hooks) hooks->on_property_changed(name);
}

std::optional<bool> Surface::extender_default() {
  if (!extender_present) return std::nullopt;
  // The control presses for Enter where a QPushButton takes it: as the default button, or an
  // autoDefault one (the focused button of a dialog).
  return button_.isDefault() || button_.autoDefault();
}

std::optional<bool> Surface::extender_cancel() {
  if (!extender_present) return std::nullopt;
  return cancel;
}

void Surface::set_back_color(OleColor c) {
  StoredSurface::set_back_color(c);
  if (edits) edits->add();
}

void Surface::set_fore_color(OleColor c) {
  StoredSurface::set_fore_color(c);
  if (edits) edits->add();
}

void Surface::set_scale_width(float v) {
  StoredSurface::set_scale_width(v);
  if (edits) edits->add();
}

void Surface::set_scale_height(float v) {
  StoredSurface::set_scale_height(v);
  if (edits) edits->add();
}

void Surface::set_draw_style(std::int16_t style) {
  StoredSurface::set_draw_style(style);
  if (edits) edits->add();
}

void Surface::rebuilt() {
  if (hooks) hooks->on_rebuilt();
}

void Surface::changed(host::Change what) {
  if (edits) edits->add();
  switch (what) {
    case host::Change::size:
      hires_.reset();
      // From a resize Qt gave the widget, the widget has the size already.
      if (button_.size() != QSize(pixel_width(), pixel_height()))
        button_.resize(pixel_width(), pixel_height());
      // A widget shows its face, so its pixels are made as it takes its size, among the
      // allocations the rest of the widget makes. Made at the first paint instead, a window's
      // faces all ended up at the top of the heap, which the allocator hands back to the system
      // when the window goes, and the next window's buttons took every page of theirs afresh:
      // 1000 buttons showed in 1.7x the time. A failure here is left to the paint to report.
      try {
        static_cast<void>(pixels());
      } catch (const std::bad_alloc&) {
      }
      break;
    // Coalesced by Qt: one repaint however many lines a face takes.
    case host::Change::drawing:
      button_.update();
      break;
    case host::Change::mask:
      apply_shape();
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
  const MaskRef& mask = mask_picture();
  if (!mask || mask->handle() == 0) {
    button_.clearMask();
    shaped_.reset();
    return;
  }
  const double ratio = this->ratio();
  // On a high-DPI screen the window keeps every logical pixel the shape touches at device
  // resolution; the face cuts the rest away pixel by pixel (see device_face).
  const bool device = ratio > 1 && regions;
  QRegion shape;
  if (shaped_ && shaped_->ratio == ratio && (shaped_->mask == mask || *shaped_->mask == *mask) &&
      (!device || shaped_->shapes == *regions)) {
    shape = shaped_->region;
    shaped_->mask = mask;  // the one shown now; the earlier equal one need not be kept
  } else {
    shape = device ? device_shape(*regions, ratio) : shared_region(mask);
    // Qt reads an empty mask as "no mask"; a mask that keeps nothing must hide the whole
    // window, so the shape becomes a pixel outside it instead.
    if (shape.isEmpty()) shape = QRegion(-1, -1, 1, 1);
    shaped_ = Shaped{mask, device ? *regions : std::vector<shape::Region>{}, ratio, shape};
  }
  // A rebuild that keeps the shape (a new caption, colour or look) leaves Qt's mask alone:
  // setting one makes Qt recompute the exposed area of the parent. Qt's copy of a region it was
  // given shares that region's data, so this compares nothing but a pointer then.
  if (button_.mask() == shape) return;
  // Qt repaints what a new mask uncovers through the parent: the corners, merged into the area
  // the parent has pending. In a window of many rounded buttons resized together that area
  // becomes thousands of corner pieces, and merging each new one costs more than the last. The
  // whole button is repainted after the rebuild that brought the mask, and the parent under it
  // (the button is not opaque), so the parent gets the button's rectangle first: the same
  // pixels are painted, and the pending area stays a rectangle per button, which the corners
  // then fall into.
  if (button_.isVisible() && !button_.isWindow())
    if (QWidget* parent = button_.parentWidget()) parent->update(button_.geometry());
  button_.setMask(shape);
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
