#include "brelund/qt/form_window.h"
#include "brelund/units.h"

#include <QPalette>
#include <algorithm>

#include "brelund/units.h"
#include "host/qt/access.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
using Access = BotonWidgetAccess;

// The buttons' going no longer reaches the window's lists: they are being destroyed themselves.
void stop_following(FormWindow& window, const std::vector<BotonWidget*>& buttons) {
  for (BotonWidget* b : buttons) QObject::disconnect(b, &QObject::destroyed, &window, nullptr);
}

void paint_background(QWidget& w, OleColor back_color) {
  Platform platform(&w);
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
  for (const auto& entry : form.controls) {
    BotonWidget* b = Access::create(this, form_.font, false);
    const Status s = Access::load(*b, entry, file);
    // The window and the buttons made so far go with the half-built window (Qt deletes them).
    if (!s.ok()) {
      stop_following(*this, buttons_);
      throw_if_failed(s);
    }
    adopt(b, entry);
  }
}

// Qt deletes the buttons after this destructor, when the lists are gone.
FormWindow::~FormWindow() { stop_following(*this, buttons_); }

void FormWindow::adopt(BotonWidget* b, forms::Control entry) {
  buttons_.push_back(b);
  // A slot may delete a button (deleteLater from its clicked(), say): the form forgets it, and
  // its entry, instead of keeping a pointer to a button that is gone.
  connect(b, &QObject::destroyed, this, [this, b] {
    const auto it = std::find(buttons_.begin(), buttons_.end(), b);
    if (it == buttons_.end()) return;
    form_.controls.erase(form_.controls.begin() + (it - buttons_.begin()));
    buttons_.erase(it);
  });
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
  BotonWidget* b = Access::create(this, form_.font);
  b->setObjectName(name);
  b->move(units::extent_pixels(left_twips), units::extent_pixels(top_twips));
  forms::Control entry;
  entry.name = name.toStdString();
  entry.left = left_twips;
  entry.top = top_twips;
  adopt(b, std::move(entry));
  // A child added to a window on screen stays hidden until shown.
  if (isVisible()) b->show();
  return b;
}

void FormWindow::setDefaultButton(BotonWidget* b) {
  for (auto* other : buttons_)
    if (other != b) other->setDefault(false);
  if (b) b->setDefault(true);
}

void FormWindow::setCancelButton(BotonWidget* b) {
  for (auto* other : buttons_)
    if (other != b) other->setCancel(false);
  if (b) b->setCancel(true);
}

BotonWidget* FormWindow::defaultButton() const {
  for (auto* b : buttons_)
    if (b->isDefault()) return b;
  return nullptr;
}

BotonWidget* FormWindow::cancelButton() const {
  for (auto* b : buttons_)
    if (b->isCancel()) return b;
  return nullptr;
}

forms::Form FormWindow::capture() {
  forms::Form saved = form_;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    auto& entry = saved.controls[i];
    BotonWidget& b = *buttons_[i];
    entry.properties = Access::save(b);
    entry.is_default = b.isDefault();
    entry.is_cancel = b.isCancel();
    entry.width = Access::surface(b).width();
    entry.height = Access::surface(b).height();
  }
  return saved;
}

}  // namespace brelund::qt
