// The published properties of BotonWidget: Qt types on the outside, the control's members inside.
// Readers answer a neutral value and setters change nothing more when the control fails; the
// failure itself is reported like every other (warning and error signal).
#include "brelund/qt/boton_widget.h"
#include "control/numeric.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
QPixmap pixmap_of(const PictureRef& p) { return p ? QPixmap::fromImage(to_qimage(*p)) : QPixmap(); }
}  // namespace

QString BotonWidget::Caption() const {
  d_->sync_text();
  return text();
}
void BotonWidget::setCaption(const QString& text) {
  const std::string s = text.toStdString();
  d_->call([&](Boton& c) { c.set_Caption(s); });
}

bool BotonWidget::Enabled() const {
  bool v = false;
  d_->call([&](Boton& c) { v = c.Enabled() != 0; });
  return v;
}
void BotonWidget::set_Enabled(bool value) {
  d_->call([&](Boton& c) { c.set_Enabled(to_bool16(value)); });
}

QFont BotonWidget::Font() const {
  QFont v;
  d_->call([&](Boton& c) {
    const FontRef f = c.Font();
    v = to_qfont(f ? *f : brelund::Font{});
  });
  return v;
}
void BotonWidget::set_Font(const QFont& font) {
  d_->call([&](Boton& c) { c.set_Font(from_qfont(font)); });
}

QPixmap BotonWidget::MouseIcon() const {
  QPixmap v;
  d_->call([&](Boton& c) { v = pixmap_of(c.MouseIcon()); });
  return v;
}
// A null pixmap clears the icon (Nothing); any other is a picture of its own.
void BotonWidget::setMouseIcon(const QPixmap& icon) {
  d_->call([&](Boton& c) {
    c.set_MouseIcon(icon.isNull() ? PictureRef{} : from_qimage(icon.toImage()));
  });
}

int BotonWidget::MousePointer() const {
  int v = 0;
  d_->call([&](Boton& c) { v = c.MousePointer(); });
  return v;
}
void BotonWidget::setMousePointer(int value) {
  d_->call([&](Boton& c) { c.set_MousePointer(num::to_i16(value)); });
}

QPixmap BotonWidget::Picture() const {
  QPixmap v;
  d_->call([&](Boton& c) {
    const PictureRef p = c.Picture();
    const QPixmap source = d_->pic.source_of(p);
    v = source.isNull() ? pixmap_of(p) : source;
  });
  return v;
}
void BotonWidget::setPicture(const QPixmap& picture) {
  PictureRef p;
  if (!picture.isNull()) {
    // The control measures its picture in logical pixels; a sharper pixmap is kept for painting.
    const QSize natural = picture.deviceIndependentSize().toSize();
    if (picture.devicePixelRatio() > 1 && natural != picture.size()) {
      p = from_qimage(
          picture.toImage().scaled(natural, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
      d_->pic.remember_source(p, picture);
    } else {
      p = from_qimage(picture.toImage());
    }
  }
  d_->call([&](Boton& c) { c.set_Picture(p); });
}

int BotonWidget::BackColor() const {
  int v = 0;
  d_->call([&](Boton& c) { v = c.BackColor(); });
  return v;
}
void BotonWidget::setBackColor(int color) {
  d_->call([&](Boton& c) { c.set_BackColor(color); });
}

int BotonWidget::ForeColor() const {
  int v = 0;
  d_->call([&](Boton& c) { v = c.ForeColor(); });
  return v;
}
void BotonWidget::setForeColor(int color) {
  d_->call([&](Boton& c) { c.set_ForeColor(color); });
}

int BotonWidget::RoundSize() const { return d_->instance->control().RoundSize(); }
void BotonWidget::setRoundSize(int value) {
  d_->call([&](Boton& c) { c.set_RoundSize(value); });
}

int BotonWidget::Light() const { return d_->instance->control().Light(); }
void BotonWidget::setLight(int value) {
  d_->call([&](Boton& c) { c.set_Light(value); });
}

QString BotonWidget::ToolTipText() const {
  QString v;
  d_->call([&](Boton& c) { v = QString::fromStdString(c.ToolTipText()); });
  return v;
}
void BotonWidget::setToolTipText(const QString& text) {
  const std::string s = text.toStdString();
  d_->call([&](Boton& c) { c.set_ToolTipText(s); });
}

int BotonWidget::BackColorOriginal() const { return d_->instance->control().BackColorOriginal(); }

bool BotonWidget::CreateRegion() const { return d_->instance->control().CreateRegion() != 0; }
void BotonWidget::setCreateRegion(bool value) {
  d_->call([&](Boton& c) { c.set_CreateRegion(to_bool16(value)); });
}

int BotonWidget::Roundness3D() const { return d_->instance->control().Roundness3D(); }
void BotonWidget::setRoundness3D(int value) {
  d_->call([&](Boton& c) { c.set_Roundness3D(value); });
}

void BotonWidget::Refresh() {
  d_->call([](Boton& c) { c.Refresh(); });
}
void BotonWidget::CreaNuevaRegion() {
  d_->call([](Boton& c) { c.CreaNuevaRegion(); });
}

bool BotonWidget::isCancel() const { return d_->surface.cancel; }
void BotonWidget::setCancel(bool on) {
  // As QDialog keeps one default button, a window keeps one cancel button: Escape must not
  // depend on which of two cancel buttons a search happens to find first.
  if (on)
    if (QWidget* window = this->window(); window != this)
      for (BotonWidget* b : window->findChildren<BotonWidget*>())
        if (b != this && b->window() == window) b->d_->surface.cancel = false;
  d_->surface.cancel = on;
}

void BotonWidget::setText(const QString& text) { setCaption(text); }

void BotonWidget::setIcon(const QIcon& icon) {
  QPushButton::setIcon(icon);
  d_->sync_icon();
}

void BotonWidget::setIconSize(const QSize& size) {
  QPushButton::setIconSize(size);
  d_->sync_icon();
}

}  // namespace brelund::qt
