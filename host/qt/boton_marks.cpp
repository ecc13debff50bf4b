// The Qt button states the control has no look of its own for, drawn over its face: the default
// button's mark and the menu indicator. Both are drawn in the caption's colour so that they read
// on any face the control paints, and inside the window shape (Qt clips painting to it).
//
// The default mark is a 1-pixel outline 3 pixels inside the button's edge, its corners rounded
// like the shape's. The menu indicator is a small downward triangle at the end of the button,
// mirrored with the content in right-to-left layouts.
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "host/qt/boton_private.h"

namespace brelund::qt {

void BotonWidget::Private::paint_marks(QPainter& p, const FaceState& look, const QColor& ink) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  if (look.is_default) {
    // The shape's corner radius in pixels is half its RoundSize; the mark is 3 pixels further in.
    const qreal radius = std::max(0.0, instance->control().RoundSize() / 2.0 - 3.0);
    QPen pen(ink, 1);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(w.rect()).adjusted(3.5, 3.5, -3.5, -3.5), radius, radius);
  }
  if (w.menu()) {
    const int side = std::max(std::clamp(instance->control().RoundSize(), 0, 400) / 2, 6);
    const qreal x = w.layoutDirection() == Qt::RightToLeft ? side : w.width() - side - 7;
    const qreal y = w.height() / 2.0 - 2;
    QPainterPath arrow;
    arrow.moveTo(x, y);
    arrow.lineTo(x + 7, y);
    arrow.lineTo(x + 3.5, y + 4);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.fillPath(arrow, ink);
  }
  p.restore();
}

}  // namespace brelund::qt
