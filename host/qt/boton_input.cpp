// Qt's input in the control's terms: the pointer, keys and focus, and the window's Enter and Escape
// for its default and cancel buttons. Every handler ends at once when the control reports it is
// gone: a slot deleted the widget.
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "brelund/units.h"
#include "host/common/form_keys.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_input.h"

namespace brelund::qt {

namespace {
bool is_enter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }
bool is_arrow(int key) {
  return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}
bool is_press_key(int key) {
  return is_enter(key) || key == Qt::Key_Escape || key == Qt::Key_Space;
}
// Enter and Escape as a window hands them to its buttons: alone, or Enter on the keypad.
bool plain(const QKeyEvent& e) {
  return e.modifiers() == Qt::NoModifier ||
         (e.modifiers() == Qt::KeypadModifier && e.key() == Qt::Key_Enter);
}
// In a right-to-left layout the caption and the picture are mirrored, as a Qt button mirrors
// its icon and text; the face itself is not.
QRect placed(const QWidget& w, QRect r) {
  if (r.isEmpty() || w.layoutDirection() != Qt::RightToLeft) return r;
  r.moveLeft(w.width() - r.left() - r.width());
  return r;
}
}  // namespace

QRect BotonWidget::Private::caption_rect() { return placed(w, label.rect()); }
QRect BotonWidget::Private::picture_rect() {
  return placed(w, icon_shown() ? icon->rect() : pic.rect());
}

// Qt's pointer in the control's terms: the point in surface twips (Qt's logical pixels, as the
// surface counts them), the button and the modifiers. Which part gets it, and the capture while a
// button is held, the instance decides.
bool BotonWidget::Private::pointer(host::PointerAction action, const QMouseEvent& e) {
  using host::PointerAction;
  instance->set_mirrored(w.layoutDirection() == Qt::RightToLeft);
  const QPointF at = e.position();
  const std::int16_t button =
      button_code(action == PointerAction::move ? e.buttons() : Qt::MouseButtons(e.button()));
  const std::int16_t shift = shift_code(e.modifiers());
  platform.pin_pointer(e.globalPosition().toPoint());
  const Status s = instance->pointer(action, button, shift, units::twips_of_pixels(at.x()),
                                     units::twips_of_pixels(at.y()));
  if (s.gone) return false;
  platform.unpin_pointer();
  return settle(s);
}

void BotonWidget::mousePressEvent(QMouseEvent* e) {
  e->accept();
  if (!d_ || !d_->instance) return;
  d_->release_after_menu = false;
  d_->pointer(host::PointerAction::down, *e);
}
void BotonWidget::mouseMoveEvent(QMouseEvent* e) {
  e->accept();
  if (d_ && d_->instance) d_->pointer(host::PointerAction::move, *e);
}
void BotonWidget::mouseReleaseEvent(QMouseEvent* e) {
  e->accept();
  if (!d_ || !d_->instance) return;
  if (d_->release_after_menu && !d_->instance->captured()) {
    if (!e->buttons()) d_->release_after_menu = false;
    return;
  }
  d_->pointer(host::PointerAction::up, *e);
}
// Qt reports the second press of a double click as a double click only. QWidget treats it as a
// press, and so does a QPushButton: each press of a double click is pressed() and released() and
// the control's MouseDown and MouseUp.
void BotonWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

bool BotonWidget::hitButton(const QPoint& pos) const {
  return rect().contains(pos) && (mask().isEmpty() || mask().contains(pos));
}

// ---- keys ----

bool BotonWidget::Private::in_dialog() const {
  for (const QWidget* p = w.parentWidget(); p; p = p->parentWidget()) {
    if (qobject_cast<const QDialog*>(p)) return true;
    if (p->isWindow()) break;
  }
  return false;
}

// The form's own answer for Enter or Escape in `window` (host/common/form_keys.h): the shown push
// buttons of the window, and the one with the focus if it is one of them. A QPushButton takes
// Enter only while it is the default or an autoDefault button; otherwise Enter goes to the
// window, as it does for a QPushButton.
namespace {
struct FormAnswer {
  QPushButton* presses = nullptr;
  bool goes_on = true;
};

FormAnswer form_answer(QWidget& window, host::FormKey key, const QPushButton* focused) {
  std::vector<QPushButton*> shown;
  std::vector<host::FormButton> form;
  std::optional<std::size_t> at;
  bool takes_enter = true;
  auto add = [&](QPushButton* b) {
    if (b->window() != &window || (b != focused && !b->isVisible())) return;
    if (b == focused) {
      at = shown.size();
      takes_enter = b->isDefault() || b->autoDefault();
    }
    const auto* boton = qobject_cast<const BotonWidget*>(b);
    form.push_back({b->isDefault(), boton && boton->isCancel(), b->isEnabled()});
    shown.push_back(b);
  };
  if (auto* self = qobject_cast<QPushButton*>(&window)) add(self);
  for (QPushButton* b : window.findChildren<QPushButton*>()) add(b);
  const host::FormKeyTarget t = host::form_key_target(key, form, at, takes_enter);
  return {t.presses ? shown[*t.presses] : nullptr, t.goes_on};
}

std::optional<host::FormKey> form_key(const QKeyEvent& e) {
  if (!plain(e)) return std::nullopt;
  if (is_enter(e.key())) return host::FormKey::enter;
  if (e.key() == Qt::Key_Escape) return host::FormKey::escape;
  return std::nullopt;
}
}  // namespace

// Enter and Escape that belong to another button of the window, or to none, are left to the
// window, so that the focused button does not see them too (and does not click on their release).
// Escape that no button takes stays the focused button's own key outside a dialog, where nothing
// else would make use of it.
bool BotonWidget::Private::passes_on(const QKeyEvent& e) {
  const std::optional<host::FormKey> key = form_key(e);
  if (!key) return false;
  const FormAnswer a = form_answer(*w.window(), *key, &w);
  if (a.presses == &w) return false;
  return *key == host::FormKey::enter || !a.goes_on || in_dialog();
}

// Enter and Escape that reach a window go to its default or cancel button. One filter per window
// serves all of its buttons: with a filter per button, every event the window receives (a child
// added or polished, a layout request, a paint) went through all of them, and building a window
// of a thousand buttons cost a million filter calls. The filter finds the button the key
// belongs to and asks that button's own eventFilter, as the button's filter used to be asked.
class WindowKeys final : public QObject {
 public:
  // The filter of `window`, installed (again) in front of the window's other filters, as a newly
  // installed filter would be.
  static WindowKeys* join(QWidget* window) {
    WindowKeys*& keys = all()[window];
    if (!keys || keys->window_ != window) keys = new WindowKeys(window);
    ++keys->users_;
    window->installEventFilter(keys);
    return keys;
  }
  // Its last button gone, the filter goes too.
  void leave() {
    if (--users_ > 0) return;
    if (window_) window_->removeEventFilter(this);
    auto& map = all();
    if (auto it = map.find(key_); it != map.end() && it->second == this) map.erase(it);
    delete this;
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || watched != window_) return false;
    const auto& key = *static_cast<const QKeyEvent*>(e);
    if (key.isAutoRepeat()) return false;
    const std::optional<host::FormKey> form = form_key(key);
    if (!form) return false;
    const FormAnswer a = form_answer(*window_, *form, nullptr);
    // The form's key with its button disabled: nothing is pressed, and nothing else hears it.
    if (!a.presses && !a.goes_on) {
      e->accept();
      return true;
    }
    auto* button = qobject_cast<BotonWidget*>(a.presses);
    // The button may delete the window and itself (and this filter with its last button).
    return button && button->eventFilter(watched, e);
  }

 private:
  explicit WindowKeys(QWidget* window) : window_(window), key_(window) {}
  ~WindowKeys() override = default;
  // Never destroyed: a button that outlives the statics (held by an application's global) still
  // leaves its window's filter at exit.
  static std::map<const QWidget*, WindowKeys*>& all() {
    static auto* map = new std::map<const QWidget*, WindowKeys*>;
    return *map;
  }
  QPointer<QWidget> window_;
  const QWidget* key_;
  int users_ = 0;
};

void BotonWidget::Private::watch_window() {
  QWidget* window = w.window();
  if (window == &w) window = nullptr;
  if (window == watched && (window_keys != nullptr) == (window != nullptr)) return;
  unwatch_window();
  watched = window;
  if (window) window_keys = WindowKeys::join(window);
}

void BotonWidget::Private::unwatch_window() {
  if (window_keys) std::exchange(window_keys, nullptr)->leave();
  watched = nullptr;
}

// Enter or Escape that reached the window (no focused widget took it): the window's default or
// cancel button gets it as the control's access-key notification, and the window (a QDialog's
// own Enter and Escape handling included) does not see it.
bool BotonWidget::Private::window_key(QKeyEvent& e) {
  const std::optional<host::FormKey> key = form_key(e);
  if (!key || e.isAutoRepeat() || watched != w.window()) return false;
  if (form_answer(*watched, *key, nullptr).presses != &w) return false;
  e.accept();
  if (!w.isEnabled()) return true;
  run([&] { return instance->access_key(*key == host::FormKey::enter ? 13 : 27); });
  return true;
}

bool BotonWidget::eventFilter(QObject* watched, QEvent* e) {
  if (d_ && d_->instance && watched == d_->watched && e->type() == QEvent::KeyPress)
    return d_->window_key(*static_cast<QKeyEvent*>(e));
  return QPushButton::eventFilter(watched, e);
}

void BotonWidget::keyPressEvent(QKeyEvent* e) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  const int key = e->key();
  // Escape while the pointer holds the button lets it up without a click, as a QPushButton's.
  if (key == Qt::Key_Escape && d.instance->captured()) {
    e->accept();
    d.abandon_pointer_press();
    return;
  }
  // And a button held down by setDown(true) alone, with released().
  if (key == Qt::Key_Escape && isDown() && !d.instance->control().pressed()) {
    QPushButton::keyPressEvent(e);
    return;
  }
  // A new press: an earlier one of the same key that was left to the window ended where the
  // focus had gone meanwhile, and is forgotten.
  if (!e->isAutoRepeat()) d.keys.passed_on().erase(key);
  if (!e->isAutoRepeat() && d.passes_on(*e)) {
    d.keys.passed_on().insert(key);
    e->ignore();
    return;
  }
  if (d.keys.passed_on().count(key)) {  // a repeat of a key left to the window
    e->ignore();
    return;
  }
  e->accept();
  if (is_press_key(key)) d.keys.down().insert(key);
  std::int16_t shift = shift_code(e->modifiers());
  const std::int16_t code = key_code(key, e->modifiers());
  if (code != 0 && !d.run([&] { return d.instance->key_down(code, shift); })) return;
  if (!e->text().isEmpty() && e->text().at(0).unicode() < 0x8000) {
    const auto ascii = static_cast<std::int16_t>(e->text().at(0).unicode());
    if (!d.run([&] { return d.instance->key_press(ascii); })) return;
  }
  // Enter clicks a QPushButton at once, on its press (pressed(), released(), clicked()): the
  // control hears the key's release with it, and the real release is no longer this button's.
  if (is_enter(key) && code != 0) {
    d.keys.down().erase(key);
    d.run([&] { return d.instance->key_up(code, shift); });
    return;
  }
  // The arrows move the focus as QAbstractButton moves it: within the button's group or among
  // its auto-exclusive siblings, or to the next or previous widget. The control has seen the
  // key-down; its key-up goes where the focus went.
  if (is_arrow(key)) QPushButton::keyPressEvent(e);
}

void BotonWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  const int key = e->key();
  // Auto-repeat repeats the press only; the one release comes when the key is let go.
  if (e->isAutoRepeat()) {
    e->setAccepted(!d.keys.passed_on().count(key));
    return;
  }
  // The release of a press key whose press this button did not take (the window's, or one
  // pressed before the focus came here) is not this button's: it would click it.
  if (d.keys.passed_on().erase(key) || (is_press_key(key) && !d.keys.down().count(key))) {
    e->ignore();
    return;
  }
  d.keys.down().erase(key);
  e->accept();
  std::int16_t shift = shift_code(e->modifiers());
  if (std::int16_t code = key_code(key, e->modifiers()); code != 0)
    d.run([&] { return d.instance->key_up(code, shift); });
}

// ---- focus ----

void BotonWidget::focusInEvent(QFocusEvent* e) {
  // QPushButton's part: an autoDefault button becomes the dialog's default while it has focus.
  QPushButton::focusInEvent(e);
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  d.run([&] { return d.instance->focus_in(); });
}

void BotonWidget::focusOutEvent(QFocusEvent* e) {
  if (!d_ || !d_->instance) {
    QPushButton::focusOutEvent(e);
    return;
  }
  Private& d = *d_;
  // The focus leaving while the pointer holds the button lets it up without a click (a popup
  // taking the focus does not), as QAbstractButton does.
  if (e->reason() != Qt::PopupFocusReason) {
    QPointer<BotonWidget> self(this);
    if (!d.abandon_pointer_press() || !self) return;
  }
  // QAbstractButton releases a pressed button when the focus leaves; the control keeps its
  // press (a Space held while the focus moves), so Qt's `down` is hidden from it meanwhile.
  const bool down = isDown();
  if (down) setDown(false);
  QPushButton::focusOutEvent(e);
  if (down) setDown(true);
  d.keys.down().clear();
  d.run([&] { return d.instance->focus_out(); });
}

}  // namespace brelund::qt
