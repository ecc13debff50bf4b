// What the widget shows: the control rebuilt for a new size and when shown (unless its last
// rebuild drew what it would draw), the retained face (at device resolution on high-DPI
// screens), the picture and the caption where the control placed them, mirrored in right-to-left
// layouts; and the size it asks a layout for.
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>
#include <new>

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
  if (width() == d_->surface.pixel_width() && height() == d_->surface.pixel_height()) return;
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

StyledColours BotonWidget::Private::styled() {
  // Only the style sheet style resolves rules; under any other the control's system colours
  // follow the palette already, and nothing is asked.
  if (!w.style()->inherits("QStyleSheetStyle")) {
    style_probe.reset();
    return {};
  }
  QStyleOptionButton option;
  w.initStyleOption(&option);
  // QPushButton takes the hover from its own mouse-move handling, which the control's replaces:
  // the pointer is over the button while Qt says so (the shape cut away, as Qt tests it).
  option.state.setFlag(QStyle::State_MouseOver, w.underMouse());
  if (!style_probe) style_probe = std::make_unique<StyleProbe>();
  return style_probe->colours(w, option);
}

FaceState BotonWidget::Private::look(const StyledColours& styled) {
  HostStates host;
  host.down = w.isDown();
  host.checked = w.isChecked();
  host.enabled = w.isEnabled();
  host.is_default = w.isDefault();
  host.flat = w.isFlat();
  if (styled.back)
    host.back = styled.back->red() + 256 * styled.back->green() + 65536 * styled.back->blue();
  return face_state(instance->control(), host);
}

void BotonWidget::Private::show_state(const FaceState& want) {
  // Nothing is drawn before the first Show or Resize.
  if (!surface.mask_picture()) return;
  // The control painted its face since: what the widget painted is gone.
  if (shown_look && surface.faces_painted != state_face) shown_look.reset();
  if (shown_look ? want == *shown_look : want.own) return;
  Boton& c = instance->control();
  const bool alive = run([&] {
    return guarded([&] {
      render::PaintFace(surface, label, platform, want.face(c));
      lay_out_icon(want.pressed);
    });
  });
  // A slot that heard of a failure may have deleted the button.
  if (!alive) return;
  if (want.own)
    shown_look.reset();
  else
    shown_look = want;
  state_face = surface.faces_painted;
}

void BotonWidget::Private::lay_out_icon(bool pressed) {
  struct Laying {
    bool& on;
    explicit Laying(bool& flag) : on(flag) { on = true; }
    ~Laying() { on = false; }
    Laying(const Laying&) = delete;
    Laying& operator=(const Laying&) = delete;
  } laying(laying_icon);
  if (icon_shown())
    render::LayoutContent(surface, label, *icon, pressed);
  else
    render::LayoutContent(surface, label, pic, pressed);
}

bool BotonWidget::Private::update_icon() {
  const PictureRef picture = pic.picture();
  bool moved = false;
  if ((picture && picture->handle != 0) || w.icon().isNull()) {
    moved = icon && icon->hide();
  } else {
    if (!icon) icon = std::make_unique<IconBox>();
    // The modes and states QPushButton draws its icon in.
    const QIcon::Mode mode =
        !w.isEnabled() ? QIcon::Disabled : (w.hasFocus() ? QIcon::Active : QIcon::Normal);
    moved = icon->show(w.icon(), w.iconSize(), w.devicePixelRatioF(), mode,
                       w.isChecked() ? QIcon::On : QIcon::Off);
  }
  if (moved) {
    w.updateGeometry();
    w.update();
  }
  return moved;
}

void BotonWidget::Private::sync_icon() {
  if (!instance || !update_icon()) return;
  // Before the first Show or Resize nothing is laid out; that rebuild lays the icon out too.
  if (!surface.mask_picture()) return;
  const bool pressed = shown_look ? shown_look->pressed : instance->control().pressed();
  run([&] { return guarded([&] { lay_out_icon(pressed); }); });
}

void BotonWidget::paintEvent(QPaintEvent*) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  QPointer<BotonWidget> self(this);
  d.sync_icon();
  if (!self) return;
  const StyledColours styled = d.styled();
  const FaceState look = d.look(styled);
  d.show_state(look);
  if (!self) return;
  // The face's pixels are made at the first paint after a resize; a paint event is no place for
  // an exception to leave, so a face that cannot be had is not drawn this time.
  const Raster* face = nullptr;
  try {
    face = &d.surface.pixels();
  } catch (const std::bad_alloc&) {
    qWarning("BotonWidget: no memory for a %dx%d face", d.surface.pixel_width(),
             d.surface.pixel_height());
  }
  // Qt clips the painter to the event's region (the window's shape included) itself.
  QPainter p(this);
  const double ratio = devicePixelRatioF();
  if (!face || look.hidden) {
    // Flat and at rest the parent shows through, as behind a flat QPushButton.
  } else if (ratio > 1) {
    const MaskRef& mask = d.surface.mask_picture();
    p.drawImage(0, 0,
                device_face(*face, d.surface.hires(), d.mask.regions(), mask && mask->handle() != 0,
                            ratio));
  } else {
    // The face is opaque throughout (the canvas starts opaque and draws opaque colours), and an
    // opaque pixel reads the same with or without its colour premultiplied: as premultiplied
    // pixels Qt copies the face as it is instead of converting every pixel of it first.
    p.drawImage(0, 0,
                QImage(reinterpret_cast<const uchar*>(face->pixels.data()), face->width,
                       face->height, face->width * 4, QImage::Format_ARGB32_Premultiplied));
  }
  if (const QRect at = d.picture_rect(); !at.isEmpty()) {
    if (d.icon_shown()) {
      const QPixmap& icon = d.icon->pixmap();
      p.drawPixmap(QRectF(at.topLeft(), icon.deviceIndependentSize()), icon, QRectF(icon.rect()));
    } else if (!d.pic.image().isNull()) {
      const QPixmap source = d.pic.source_of(d.pic.picture());
      if (!source.isNull())
        p.drawPixmap(QRectF(at.topLeft(), source.deviceIndependentSize()), source,
                     QRectF(source.rect()));
      else
        p.drawImage(at.topLeft(), d.pic.image());
    }
  }
  d.paint_marks(p, look, styled.ink ? *styled.ink : d.label.colour());
  if (!text().isEmpty()) d.label.paint(p, d.caption_rect(), styled.ink);
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
  d.sync_icon();
  if (!self) return {};
  const PictureRef picture = d.pic.picture();
  host::Image& shown = d.icon_shown() ? static_cast<host::Image&>(*d.icon) : d.pic;
  if (d.icon_shown() || (picture && picture->handle != 0)) {
    content_w += pixels(shown.width()) + (caption ? pixels(50) : 0);
    content_h = std::max(content_h, pixels(shown.height()));
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
