#include "brelund/qt/form_window.h"
#include "brelund/units.h"

#include <QKeyEvent>
#include <QPalette>

#include "brelund/raster.h"
#include "control/design.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
void paint_background(QWidget& w, OleColor back_color) {
  Platform platform;
  QPalette pal = w.palette();
  pal.setColor(QPalette::Window, to_qcolor(platform, back_color));
  w.setPalette(pal);
  w.setAutoFillBackground(true);
}
}  // namespace

FormWindow::FormWindow(QWidget* parent) : QWidget(parent) {
  form_.font = std::make_shared<const brelund::Font>();
  resize(units::extent_pixels(form_.width), units::extent_pixels(form_.height));
  paint_background(*this, form_.back_color);
}

FormWindow::FormWindow(const forms::Form& form, const std::string& file, QWidget* parent)
    : QWidget(parent), form_(form) {
  if (!form_.font) form_.font = std::make_shared<const brelund::Font>();
  setWindowTitle(QString::fromStdString(form_.caption));
  resize(units::extent_pixels(form_.width), units::extent_pixels(form_.height));
  paint_background(*this, form_.back_color);
  form_.controls.clear();
  for (const auto& entry : form.controls)
    adopt(BotonWidget::load(entry, file, form_.font, this), entry);
}

void FormWindow::adopt(BotonWidget* b, forms::Control entry) {
  buttons_.push_back(b);
  if (b->isDefault()) setDefaultButton(b);
  if (b->isCancel()) setCancelButton(b);
  form_.controls.push_back(std::move(entry));
}

BotonWidget* FormWindow::button(const QString& name) const {
  for (auto* b : buttons_)
    if (b->objectName() == name) return b;
  return nullptr;
}

BotonWidget* FormWindow::addButton(const QString& name, float left_twips, float top_twips) {
  auto* b = new BotonWidget(this, form_.font);
  b->setObjectName(name);
  b->move(units::extent_pixels(left_twips), units::extent_pixels(top_twips));
  forms::Control entry;
  entry.name = name.toStdString();
  entry.left = left_twips;
  entry.top = top_twips;
  adopt(b, std::move(entry));
  return b;
}

void FormWindow::setDefaultButton(BotonWidget* b) {
  if (default_ && default_ != b) default_->setDefault(false);
  default_ = b;
  if (b) b->setDefault(true);
}

void FormWindow::setCancelButton(BotonWidget* b) {
  if (cancel_ && cancel_ != b) cancel_->setCancel(false);
  cancel_ = b;
  if (b) b->setCancel(true);
}

forms::Form FormWindow::capture() {
  forms::Form saved = form_;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    auto& entry = saved.controls[i];
    entry.properties = buttons_[i]->saveProperties();
    entry.is_default = buttons_[i] == default_;
    entry.is_cancel = buttons_[i] == cancel_;
    entry.width = buttons_[i]->surface().width();
    entry.height = buttons_[i]->surface().height();
  }
  return saved;
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
  // Only keys that the focused control left alone arrive here, so a focused button still sees
  // its own Enter and Escape as key notifications.
  BotonWidget* target = nullptr;
  if (e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) target = default_;
    if (e->key() == Qt::Key_Escape) target = cancel_;
  }
  if (!target) {
    QWidget::keyPressEvent(e);
    return;
  }
  e->accept();
  target->accessKeyPress(e->key() == Qt::Key_Escape ? 27 : 13);
}

}  // namespace brelund::qt
