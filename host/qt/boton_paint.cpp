// What the widget shows: the control rebuilt for a new size and when shown (unless its last
// rebuild drew what it would draw), the retained face (at device resolution on high-DPI
// screens), the picture and the caption where the control placed them, mirrored in right-to-left
// layouts; and the size it asks a layout for.
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "brelund/units.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_hires.h"
#include "render/face_painter.h"
#include "render/layout.h"

namespace brelund::qt {

void BotonWidget::resizeEvent(QResizeEvent*) {
  if (!d_ || !d_->instance) return;
  // A size that the application or a layout gives the widget is the control's new extent; the
  // sizes the control's surface set itself are already its own.
  const Raster& r = d_->surface.pixels();
  if (width() == r.width && height() == r.height) return;
  Private& d = *d_;
  d.run([&] {
    return d.instance->resize(units::twips_of_pixels(width()), units::twips_of_pixels(height()));
  });
}

void BotonWidget::showEvent(QShowEvent*) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  d.watch_window();
  // Show rebuilds the button. A button set up at the size it is shown at, or resized just
  // before (a layout places its widgets before they are shown), was rebuilt last with everything
  // as it is now: Show's rebuild would draw the same mask, face and layout again, and a window
  // of many buttons would pay for it in every one.
  if (d.holds_rebuild()) return;
  d.run([&] { return d.instance->show(); });
}

bool BotonWidget::Private::holds_rebuild() {
  if (!rebuilt || !instance || tool_attached()) return false;
  return rebuilt->edits == edits.count && rebuilt->fields == instance->control().fields() &&
         rebuilt->ratio == surface.ratio();
}

void BotonWidget::Private::show_state() {
  // Nothing is drawn before the first Show or Resize.
  if (!surface.mask_picture()) return;
  Boton& c = instance->control();
  const bool want = (w.isDown() || w.isChecked()) && !c.pressed() && w.isEnabled();
  // The control painted its face since: what the widget painted is gone.
  if (state_shown && surface.faces_painted != state_face) state_shown = false;
  if (want == state_shown) return;
  const BotonFields f = c.fields();
  const bool pressed = want || c.pressed();
  run([&] {
    return guarded([&] {
      render::PaintFace(
          surface, label, platform,
          {f.m_Highlighted != 0, pressed, c.BackColorOriginal(), c.Light(), c.Roundness3D()});
      render::LayoutContent(surface, label, pic, pressed);
    });
  });
  state_shown = want;
  state_face = surface.faces_painted;
}

bool BotonWidget::Private::face_hidden() {
  if (!w.isFlat() || state_shown || w.isDown()) return false;
  const BotonFields f = instance->control().fields();
  return f.m_Highlighted == 0 && f.m_Pressed == 0;
}

void BotonWidget::paintEvent(QPaintEvent*) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  d.show_state();
  const Raster& r = d.surface.pixels();
  // Qt clips the painter to the event's region (the window's shape included) itself.
  QPainter p(this);
  const double ratio = devicePixelRatioF();
  if (d.face_hidden()) {
    // Flat and at rest: the parent shows through, as behind a flat QPushButton.
  } else if (ratio > 1) {
    const MaskRef& mask = d.surface.mask_picture();
    p.drawImage(
        0, 0,
        device_face(r, d.surface.hires(), d.mask.regions(), mask && mask->handle() != 0, ratio));
  } else {
    // The face is opaque throughout (the canvas starts opaque and draws opaque colours), and an
    // opaque pixel reads the same with or without its colour premultiplied: as premultiplied
    // pixels Qt copies the face as it is instead of converting every pixel of it first.
    p.drawImage(0, 0,
                QImage(reinterpret_cast<const uchar*>(r.pixels.data()), r.width, r.height,
                       r.width * 4, QImage::Format_ARGB32_Premultiplied));
  }
  if (const QRect at = d.picture_rect(); !at.isEmpty() && !d.pic.image().isNull()) {
    const QPixmap source = d.pic.source_of(d.pic.picture());
    if (!source.isNull())
      p.drawPixmap(QRectF(at.topLeft(), source.deviceIndependentSize()), source,
                   QRectF(source.rect()));
    else
      p.drawImage(at.topLeft(), d.pic.image());
  }
  d.paint_marks(p);
  if (!text().isEmpty()) d.label.paint(p, d.caption_rect());
}

namespace {
int pixels(float twips) { return static_cast<int>(std::ceil(twips / units::kTwipsPerPixel)); }
}  // namespace

QSize BotonWidget::minimumSizeHint() const {
  if (!d_ || !d_->instance) return QPushButton::minimumSizeHint();
  Private& d = *d_;
  QPointer<const QObject> self(this);
  d.sync_text();
  if (!self) return {};
  // The content as the control lays it out: picture, a 50-twip gap, caption, side by side.
  const bool caption = !text().isEmpty();
  int content_w = caption ? pixels(d.label.width()) : 0;
  int content_h = caption ? pixels(d.label.height()) : 0;
  const PictureRef picture = d.pic.picture();
  if (picture && picture->handle != 0) {
    content_w += pixels(d.pic.width()) + (caption ? pixels(50) : 0);
    content_h = std::max(content_h, pixels(d.pic.height()));
  }
  const Boton& c = d.instance->control();
  // Sideways: clear of the rounded corners, with room for the pressed offset.
  const int round = std::clamp(c.RoundSize(), 0, 400);
  const int side = std::max(round / 2, 6) + 1;
  // Up and down: inside the face's flat middle, between its light and dark bands.
  const double band = std::clamp(c.Roundness3D() / 100.0, 0.0, 0.35);
  const int height = static_cast<int>(std::ceil((content_h + 3) / (1 - 2 * band)));
  return {content_w + 2 * side, std::max(height, content_h + 4)};
}

QSize BotonWidget::sizeHint() const {
  const QSize least = minimumSizeHint();
  if (!d_ || !d_->instance) return least;
  // Some air on either side of the caption, and never smaller than a usual dialog button.
  return least.expandedTo(QSize(least.width() + 16, 0)).expandedTo(QSize(80, 26));
}

}  // namespace brelund::qt
