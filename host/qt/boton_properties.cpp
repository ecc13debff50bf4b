// The published properties of BotonWidget: Qt types on the outside, the control's members inside.
// Readers answer a neutral value and setters change nothing more when the control fails; the
// failure itself is reported like every other (warning and error signal).
#include "brelund/qt/boton_widget.h"
#include "control/numeric.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
QPixmap pixmap_of(const PictureRef& p) { return p ? QPixmap::fromImage(to_qimage(*p)) : QPixmap(); }
}  // namespace

QString BotonWidget::Caption() {
  QString v;
  deliver([&] { v = QString::fromStdString(control_->Caption()); });
  return v;
}
void BotonWidget::set_Caption(const QString& text) {
  deliver([&] { control_->set_Caption(text.toStdString()); });
}

bool BotonWidget::Enabled() {
  bool v = false;
  deliver([&] { v = control_->Enabled() != 0; });
  return v;
}
void BotonWidget::set_Enabled(bool value) {
  deliver([&] { control_->set_Enabled(to_bool16(value)); });
}

QFont BotonWidget::Font() {
  QFont v;
  deliver([&] {
    const FontRef f = control_->Font();
    v = to_qfont(f ? *f : brelund::Font{});
  });
  return v;
}
void BotonWidget::set_Font(const QFont& font) {
  deliver([&] { control_->set_Font(from_qfont(font)); });
}

QPixmap BotonWidget::MouseIcon() {
  QPixmap v;
  deliver([&] { v = pixmap_of(control_->MouseIcon()); });
  return v;
}
// A null pixmap clears the icon (Nothing); any other is a picture of its own.
void BotonWidget::set_MouseIcon(const QPixmap& icon) {
  deliver(
      [&] { control_->set_MouseIcon(icon.isNull() ? PictureRef{} : from_qimage(icon.toImage())); });
}

int BotonWidget::MousePointer() {
  int v = 0;
  deliver([&] { v = control_->MousePointer(); });
  return v;
}
void BotonWidget::set_MousePointer(int value) {
  deliver([&] { control_->set_MousePointer(num::to_i16(value)); });
}

QPixmap BotonWidget::Picture() {
  QPixmap v;
  deliver([&] { v = pixmap_of(control_->Picture()); });
  return v;
}
void BotonWidget::set_Picture(const QPixmap& picture) {
  deliver([&] {
    control_->set_Picture(picture.isNull() ? PictureRef{} : from_qimage(picture.toImage()));
  });
}

int BotonWidget::BackColor() {
  int v = 0;
  deliver([&] { v = control_->BackColor(); });
  return v;
}
void BotonWidget::set_BackColor(int color) {
  deliver([&] { control_->set_BackColor(color); });
}

int BotonWidget::ForeColor() {
  int v = 0;
  deliver([&] { v = control_->ForeColor(); });
  return v;
}
void BotonWidget::set_ForeColor(int color) {
  deliver([&] { control_->set_ForeColor(color); });
}

int BotonWidget::RoundSize() { return control_->RoundSize(); }
void BotonWidget::set_RoundSize(int value) {
  deliver([&] { control_->set_RoundSize(value); });
}

int BotonWidget::Light() { return control_->Light(); }
void BotonWidget::set_Light(int value) {
  deliver([&] { control_->set_Light(value); });
}

QString BotonWidget::ToolTipText() {
  QString v;
  deliver([&] { v = QString::fromStdString(control_->ToolTipText()); });
  return v;
}
void BotonWidget::set_ToolTipText(const QString& text) {
  deliver([&] { control_->set_ToolTipText(text.toStdString()); });
}

int BotonWidget::BackColorOriginal() { return control_->BackColorOriginal(); }

bool BotonWidget::CreateRegion() { return control_->CreateRegion() != 0; }
void BotonWidget::set_CreateRegion(bool value) {
  deliver([&] { control_->set_CreateRegion(to_bool16(value)); });
}

int BotonWidget::Roundness3D() { return control_->Roundness3D(); }
void BotonWidget::set_Roundness3D(int value) {
  deliver([&] { control_->set_Roundness3D(value); });
}

void BotonWidget::Refresh() {
  deliver([&] { control_->Refresh(); });
}
void BotonWidget::CreaNuevaRegion() {
  deliver([&] { control_->CreaNuevaRegion(); });
}

}  // namespace brelund::qt
