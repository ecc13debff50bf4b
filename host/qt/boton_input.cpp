// Qt's input in the control's terms: the pointer, keys and focus, and the window's Enter and Escape
// for its default and cancel buttons. Every handler ends at once when the control reports it is
// gone: a slot deleted the widget.
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
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
  if (!settle(s)) return false;
  // A slot that disabled or hid the button while it took the press (MouseDown comes before the
  // control holds it) leaves it holding none: no release could reach it.
  const bool hidden = w.isHidden() && w.testAttribute(Qt::WA_WState_ExplicitShowHide);
  return (w.isEnabled() && !hidden) || let_go();
}

// While the left button holds the button, the others are not its own: a QPushButton keeps its
// press through a right click, where the control would end it. Neither their press nor their
// release reaches the control.
namespace {
bool beside_left_press(const QMouseEvent& e) {
  return e.button() != Qt::LeftButton && (e.buttons() & Qt::LeftButton);
}
}  // namespace

void BotonWidget::mousePressEvent(QMouseEvent* e) {
  if (beside_left_press(*e)) {
    e->ignore();
    return;
  }
  e->accept();
  // Each handler starts from Qt's down: a press Qt let up meanwhile has ended.
  if (!d_ || !d_->instance || !d_->sync_down()) return;
  if (e->button() == Qt::LeftButton) d_->take_down();
  d_->pointer(host::PointerAction::down, *e);
}
void BotonWidget::mouseMoveEvent(QMouseEvent* e) {
  e->accept();
  if (d_ && d_->instance && d_->sync_down()) d_->pointer(host::PointerAction::move, *e);
}
// A release with no press held on the control is not its own: Escape, the focus leaving, the
// button disabled or Qt letting it up ended that press (a QPushButton ignores the release too).
void BotonWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (!d_ || !d_->instance) return;
  if (!d_->sync_down()) return;
  if (beside_left_press(*e) || !d_->instance->captured()) {
    e->ignore();
    return;
  }
  e->accept();
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

// Enter and Escape as the window's form keys: which button of the window takes them is the
// shared form rule's to say. The window's buttons are its shown push buttons, in the order
// QDialog searches them for its default; only this library's buttons can be a cancel button.
namespace {
std::optional<host::FormKey> form_key(const QKeyEvent& e) {
  if (!plain(e)) return std::nullopt;
  if (is_enter(e.key())) return host::FormKey::enter;
  if (e.key() == Qt::Key_Escape) return host::FormKey::escape;
  return std::nullopt;
}

struct WindowButtons {
  std::vector<QPushButton*> widgets;
  std::vector<host::FormButton> flags;
  std::optional<std::size_t> index_of(const QWidget* b) const {
    const auto it = std::find(widgets.begin(), widgets.end(), b);
    if (it == widgets.end()) return std::nullopt;
    return static_cast<std::size_t>(it - widgets.begin());
  }
};

WindowButtons buttons_of(QWidget& window) {
  WindowButtons form;
  // A button may be a window of its own.
  QList<QPushButton*> buttons = window.findChildren<QPushButton*>();
  if (auto* self = qobject_cast<QPushButton*>(&window)) buttons.prepend(self);
  for (QPushButton* b : buttons) {
    if (b->window() != &window || !b->isVisible()) continue;
    const auto* ours = qobject_cast<const BotonWidget*>(b);
    form.widgets.push_back(b);
    form.flags.push_back({.is_default = b->isDefault(),
                          .is_cancel = ours && ours->isCancel(),
                          .enabled = b->isEnabled()});
  }
  return form;
}
}  // namespace

// A key that the shared rule gives to another button of the window, or to none, is left to the
// window, so that the focused button does not see it too (and does not click on its release).
// QPushButton takes Enter only as a default or autoDefault button; Escape that no button takes
// is a dialog's (it rejects).
bool BotonWidget::Private::passes_on(const QKeyEvent& e) {
  const auto key = form_key(e);
  if (!key) return false;
  QWidget* window = w.window();
  const WindowButtons form = buttons_of(*window);
  const auto self = form.index_of(&w);
  const auto target =
      host::form_key_target(*key, form.flags, self, w.isDefault() || w.autoDefault());
  if (self && target.presses == self) return false;
  if (!target.goes_on || *key == host::FormKey::enter) return true;
  return in_dialog();
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
    const auto& event = *static_cast<const QKeyEvent*>(e);
    const auto key = form_key(event);
    if (!key || event.isAutoRepeat()) return false;
    // The key reached the window: no button has the focus, or the focused one left it.
    const WindowButtons form = buttons_of(*window_);
    const auto target = host::form_key_target(*key, form.flags, std::nullopt);
    if (target.goes_on) return false;
    if (!target.presses) return true;  // its button is disabled: the key is spent
    // A QPushButton default is clicked by the window (QDialog) itself. Ours may delete the window
    // and itself (and this filter with its last button).
    auto* button = qobject_cast<BotonWidget*>(form.widgets[*target.presses]);
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
  const auto key = form_key(e);
  if (!key || e.isAutoRepeat()) return false;
  e.accept();
  take_down();
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
  if (!d.sync_down()) return;
  // Escape lets a held button up without a click, with released(), as a QPushButton's: the
  // control's press ends, and Qt's own (setDown(true)) is Qt's to end.
  if (key == Qt::Key_Escape && !e->isAutoRepeat() && (isDown() || d.instance->captured())) {
    if (!d.down_is_controls && !d.instance->captured()) {
      QPushButton::keyPressEvent(e);
      return;
    }
    e->accept();
    d.let_go();
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
  const bool enter = is_enter(key);
  if (is_press_key(key) && !enter) d.keys.down().insert(key);
  if (is_press_key(key) && !e->isAutoRepeat()) d.take_down();
  // Enter clicks a QPushButton at once, on its press: pressed(), released(), clicked(). The
  // control hears the key's whole stroke, which presses (the button takes Enter as its default)
  // and clicks it; the real release is no longer this button's.
  std::int16_t shift = shift_code(e->modifiers());
  const std::int16_t code = key_code(key, e->modifiers());
  if (code != 0 && !d.run([&] { return d.instance->key_down(code, shift); })) return;
  if (!e->text().isEmpty() && e->text().at(0).unicode() < 0x8000) {
    const auto ascii = static_cast<std::int16_t>(e->text().at(0).unicode());
    if (!d.run([&] { return d.instance->key_press(ascii); })) return;
  }
  if (enter) {
    if (code != 0) d.run([&] { return d.instance->key_up(code, shift); });
    return;
  }
  // The arrows move the focus as QAbstractButton moves it: within the button's group or among
  // its auto-exclusive siblings, or to the next or previous widget. The control has seen the
  // key-down; its key-up goes where the focus went. Any other key that the platform's theme makes
  // a press key (Select, where Space is the control's own) presses the button as it presses a
  // QPushButton, and its release clicks it.
  if (is_arrow(key) || (!is_press_key(key) && !e->isAutoRepeat() && !isDown())) {
    QPushButton::keyPressEvent(e);
    if (!is_arrow(key)) e->accept();
  }
}

void BotonWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!d_ || !d_->instance) return;
  Private& d = *d_;
  const int key = e->key();
  if (!d.sync_down()) return;
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
    if (!d.run([&] { return d.instance->key_up(code, shift); })) return;
  // The release of a theme's press key that pressed the button as Qt's own press clicks it.
  if (!is_press_key(key) && isDown() && !d.down_is_controls) {
    QPushButton::keyReleaseEvent(e);
    e->accept();
  }
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
  // The focus leaving lets a held button up without a click (a popup taking the focus does
  // not), as QAbstractButton does.
  if (e->reason() != Qt::PopupFocusReason) {
    QPointer<BotonWidget> self(this);
    if (!d.let_go() || !self) return;
  }
  QPushButton::focusOutEvent(e);
  d.keys.down().clear();
  d.run([&] { return d.instance->focus_out(); });
}

}  // namespace brelund::qt
