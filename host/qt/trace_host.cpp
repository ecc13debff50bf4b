// Over 300 lines on purpose: every verb's translation into Qt's events, and every reason one
// cannot be, reads best in one place.
//
// The trace on the Qt host. The script is the only user: the widget gets Qt's real events, sent
// through QApplication, so that its own translation (the keys it takes, its focus) and its
// instance's routing (the part under the pointer, the capture of a held button) decide what the
// control sees, and the application's side goes through the widget's published properties and
// methods. A verb that Qt cannot carry exactly is carried out by the host's instance step, and
// the output says why. The conversions of members' values are in trace_members.cpp.
#include "host/qt/trace_host.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QShowEvent>
#include <QWidget>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "brelund/units.h"
#include "host/common/png.h"
#include "host/headless/platform.h"
#include "host/qt/access.h"
#include "host/qt/qt_input.h"
#include "host/qt/trace_members.h"

namespace brelund::qt {

namespace {

using host::PointerAction;
using host::PointerTarget;

// How a verb was carried out: by a Qt event, with the status the widget reported for it, or not
// at all, with the reason, for the instance's step to stand in.
struct Delivery {
  std::optional<Status> status;
  std::string simulated;
};

// The window on the screen and the control's place in it, in pixels. The window stays inside the
// offscreen platform's default screen (800 x 600) and inside Xvfb's.
constexpr QRect kWindow(0, 0, 780, 580);
constexpr QPoint kPlace(10, 10);
// Off the window and the control: where `pointer away` leaves the pointer.
constexpr QPoint kAway(5000, 5000);

Delivery simulated(std::string why) { return {std::nullopt, std::move(why)}; }

const char* part_name(PointerTarget t) {
  switch (t) {
    case PointerTarget::caption:
      return "caption";
    case PointerTarget::picture:
      return "picture";
    case PointerTarget::surface:
      break;
  }
  return "face";
}

// The window system's own input (the echo of QCursor::setPos, a window manager's focus) is not
// the script's; only the events this host sends reach the widget.
class ScriptOnly final : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (!e->spontaneous()) return false;
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Wheel:
      case QEvent::Enter:
      case QEvent::Leave:
      case QEvent::HoverEnter:
      case QEvent::HoverMove:
      case QEvent::HoverLeave:
      case QEvent::FocusIn:
      case QEvent::FocusOut:
        return true;
      default:
        return false;
    }
  }
};

// Keeps the show event of the widget's first showing from it: the control's window is on the
// screen from `new`, as on the headless host, and the container's Show is the script's `show`.
class Unannounced final : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::Show; }
};

Qt::KeyboardModifiers modifiers_of(std::int16_t shift) {
  Qt::KeyboardModifiers m;
  if (shift & 1) m |= Qt::ShiftModifier;
  if (shift & 2) m |= Qt::ControlModifier;
  if (shift & 4) m |= Qt::AltModifier;
  return m;
}

Qt::MouseButtons buttons_of(std::int16_t code) {
  Qt::MouseButtons b;
  if (code & 1) b |= Qt::LeftButton;
  if (code & 2) b |= Qt::RightButton;
  if (code & 4) b |= Qt::MiddleButton;
  return b;
}

// The Qt key whose event the widget reads as key code `code` (0 when none does): the widget's own
// translation, searched over Qt's character and function keys. The keypad's keys add their
// modifier to `mods`.
int qt_key_for(std::int16_t code, Qt::KeyboardModifiers& mods) {
  if (code <= 0) return 0;  // the widget raises nothing for a key it has no code for
  for (const Qt::KeyboardModifiers extra :
       {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::KeypadModifier)}) {
    for (const auto& [first, last] : {std::pair{0x20, 0xff}, std::pair{0x01000000, 0x010000ff}}) {
      for (int k = first; k <= last; ++k) {
        if (key_code(k, mods | extra) != code) continue;
        mods |= extra;
        return k;
      }
    }
  }
  return 0;
}

class QtHost final : public trace::InstanceHost {
 public:
  QtHost() {
    window_.setWindowTitle(QStringLiteral("boton trace"));
    window_.setGeometry(kWindow);
    window_.show();
    qApp->installEventFilter(&script_only_);
  }
  ~QtHost() override {
    qApp->removeEventFilter(&script_only_);
    delete widget_.data();
  }
  QtHost(const QtHost&) = delete;
  QtHost& operator=(const QtHost&) = delete;

  void create(host::EventSink& app, trace::Probe& probe) override {
    if (widget_) settle();
    // Also from inside one of the old widget's events: its instance sees it gone and ends the
    // step it was in.
    delete widget_.data();
    half_.reset();
    held_ = 0;
    probe_ = &probe;
    // Each control starts with the pointer off it, as on the headless host, whose simulated
    // screen comes and goes with its control.
    QCursor::setPos(kAway);
    using A = BotonWidgetAccess;
    BotonWidget* w = A::create(&window_, std::make_shared<const Font>(), false);
    widget_ = w;
    // Focus is one of the script's notifications; the window must not hand it out itself.
    w->setFocusPolicy(Qt::NoFocus);
    w->move(kPlace);
    // At the control's own extent, so that showing it is no resize of the control.
    w->resize(A::surface(*w).pixel_width(), A::surface(*w).pixel_height());
    {
      Unannounced unannounced;
      w->installEventFilter(&unannounced);
      w->show();
      w->removeEventFilter(&unannounced);
    }
    // The headless host's scheme, so that faces in system colours compare; `syscolor` changes it
    // on both.
    const auto& scheme = headless::default_system_colors();
    for (int i = 0; i < static_cast<int>(scheme.size()); ++i)
      A::platform(*w).set_sys_color(i, scheme[static_cast<std::size_t>(i)]);

    QObject::connect(w, &BotonWidget::Click, w, [&app] { app.Click(); });
    QObject::connect(w, &BotonWidget::Resize, w, [&app] { app.Resize(); });
    QObject::connect(w, &BotonWidget::KeyDown, w,
                     [&app](short& k, short& s) { app.KeyDown(k, s); });
    QObject::connect(w, &BotonWidget::KeyUp, w, [&app](short& k, short& s) { app.KeyUp(k, s); });
    QObject::connect(w, &BotonWidget::KeyPress, w, [&app](short& k) { app.KeyPress(k); });
    QObject::connect(w, &BotonWidget::MouseDown, w,
                     [&app](short& b, short& s, float& x, float& y) { app.MouseDown(b, s, x, y); });
    QObject::connect(w, &BotonWidget::MouseMove, w,
                     [&app](short& b, short& s, float& x, float& y) { app.MouseMove(b, s, x, y); });
    QObject::connect(w, &BotonWidget::MouseUp, w,
                     [&app](short& b, short& s, float& x, float& y) { app.MouseUp(b, s, x, y); });
    QObject::connect(w, &BotonWidget::error, w, [this](int number, const QString& description) {
      if (!error_) error_ = Status{number, description.toStdString(), false};
    });

    A::instance(*w).watch(&probe);
  }
  bool exists() const override { return widget_ != nullptr; }

  host::Instance& instance() override { return BotonWidgetAccess::instance(*widget_); }
  host::StoredSurface& surface() override { return BotonWidgetAccess::surface(*widget_); }
  host::Label& label() override { return BotonWidgetAccess::label(*widget_); }
  host::Image& pic() override { return BotonWidgetAccess::pic(*widget_); }
  host::Timer& timer() override { return BotonWidgetAccess::timer(*widget_); }

  void set_sys_color(int index, OleColor rgb) override {
    settle();
    if (index < 0 || index > 255)
      throw Error(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
    BotonWidgetAccess::platform(*widget_).set_sys_color(index, rgb);
  }
  void pin_label_size(float w, float h) override {
    settle();
    BotonWidgetAccess::label(*widget_).pin_size(std::pair{w, h});
  }

  // The real pointer; the widget asks QCursor and QApplication::widgetAt where it is.
  void pointer_over() override {
    settle();
    QCursor::setPos(widget_->mapToGlobal(QPoint(widget_->width() / 2, widget_->height() / 2)));
  }
  void pointer_away() override {
    settle();
    QCursor::setPos(kAway);
  }
  void pointer_at(int x, int y) override {
    settle();
    QCursor::setPos(widget_->mapToGlobal(QPoint(x, y)));
  }

  // Timer1 fires, as when its interval has run out.
  Status tick() override {
    settle();
    return through([&] { BotonWidgetAccess::timer(*widget_).fire(); }).status.value_or(Status{});
  }

  Status show() override {
    settle();
    return carried(deliver_show(), [&] { return instance().show(); });
  }
  Status pointer(PointerAction action, PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y) override {
    settle();
    return carried(deliver_pointer(action, target, button, shift, x, y),
                   [&] { return instance().pointer(action, target, button, shift, x, y); });
  }
  Status key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) override {
    settle();
    return carried(deliver_key(verb, code, shift),
                   [&] { return InstanceHost::key(verb, code, shift); });
  }

  // The widget's published properties and methods, as an application uses them.
  Status let(const Member& member, const Variant& value) override;
  Status get(const Member& member, std::optional<Variant>& result) override;
  Status focus(trace::FocusVerb verb) override;

  // The other verbs first carry out a focus notification held back for its pair (see focus()).
  Status init() override { return after_half(InstanceHost::init()); }
  Status load(host::PropertyBag& bag) override { return after_half(InstanceHost::load(bag)); }
  Status save(host::MemoryPropertyBag& bag) override { return after_half(InstanceHost::save(bag)); }
  Status resize(float w, float h) override { return after_half(InstanceHost::resize(w, h)); }
  void set_ambient_font(FontRef font) override {
    settle();
    InstanceHost::set_ambient_font(std::move(font));
  }
  Status finish() override {
    settle();
    return after_half(Status{});
  }
  trace::StateView state() override {
    settle();
    return InstanceHost::state();
  }

  // The window's pixels as Qt paints them, and the window's shape as transparency.
  void snapshot(const std::string& path) override {
    settle();
    QImage img = widget_->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const QRegion shape = widget_->mask();
    std::vector<std::uint32_t> px;
    px.reserve(static_cast<std::size_t>(img.width()) * static_cast<std::size_t>(img.height()));
    for (int y = 0; y < img.height(); ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
      for (int x = 0; x < img.width(); ++x)
        px.push_back(shape.isEmpty() || shape.contains(QPoint(x, y)) ? row[x] : 0u);
    }
    png::write_file(path, png::encode(img.width(), img.height(), px));
  }

  // The show event Qt sends a widget as it comes on the screen (see create()).
  Delivery deliver_show() {
    return through([&] {
      QShowEvent e;
      QApplication::sendEvent(widget_.data(), &e);
    });
  }

  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) override {
    settle();
    // Qt keeps Default as the push button's own; Cancel the widget keeps.
    Surface& s = BotonWidgetAccess::surface(*widget_);
    s.extender_present = is_default.has_value() || is_cancel.has_value();
    widget_->setDefault(is_default.value_or(false));
    widget_->setCancel(is_cancel.value_or(false));
  }

  Delivery deliver_pointer(PointerAction action, PointerTarget target, std::int16_t button,
                           std::int16_t shift, float x, float y);
  Delivery deliver_key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift);

 private:
  // The status of a verb Qt carried, or the instance's step after the reason Qt could not.
  template <class F>
  Status carried(const Delivery& d, F&& step) {
    if (d.status) return *d.status;
    if (!d.simulated.empty()) probe_->simulated(d.simulated);
    return step();
  }
  // Runs `send`, which hands Qt one event, and returns the status the widget reported for it.
  template <class F>
  Delivery through(F&& send) {
    error_.reset();
    send();
    return {error_.value_or(Status{}), {}};
  }
  std::optional<std::string> not_deliverable();
  // The status of a verb, after that of a focus notification carried out alone before it: the
  // first failure.
  Status after_half(Status s) {
    Status half = std::exchange(half_status_, Status{});
    return half.ok() || s.gone ? s : half;
  }
  // Carries out a focus notification held back for its pair alone, as the instance's step.
  void settle();
  Delivery send_key(QEvent::Type type, int key, Qt::KeyboardModifiers mods, const QString& text,
                    QWidget* receiver);

  QWidget window_;
  ScriptOnly script_only_;
  QPointer<BotonWidget> widget_;
  std::optional<Status> error_;
  std::int16_t held_ = 0;  // the buttons the script holds down
  trace::Probe* probe_ = nullptr;
  // EnterFocus or LostFocus, held back: Qt carries each only with its pair (GotFocus after
  // EnterFocus in one FocusIn, ExitFocus after LostFocus in one FocusOut).
  std::optional<trace::FocusVerb> half_;
  Status half_status_;  // of a held notification carried out alone, for the next verb to report
};

void QtHost::settle() {
  if (!half_ || !widget_) return;
  const trace::FocusVerb verb = *std::exchange(half_, std::nullopt);
  probe_->simulated(verb == trace::FocusVerb::enter
                        ? "Qt's FocusIn carries EnterFocus only together with GotFocus"
                        : "Qt's FocusOut carries LostFocus only together with ExitFocus");
  const Status s = InstanceHost::focus(verb);
  if (half_status_.ok()) half_status_ = s;
}

Status QtHost::let(const Member& member, const Variant& value) {
  settle();
  WidgetValue v;
  if (Status s = guarded([&] { v = to_widget(member, value); }); !s.ok()) return after_half(s);
  if (!v.not_carried.empty()) {
    probe_->simulated(v.not_carried);
    return after_half(InstanceHost::let(member, value));
  }
  const std::string name(member.name);
  bool written = false;
  const Delivery d = through([&] { written = widget_->setProperty(name.c_str(), v.value); });
  if (!written && widget_)
    return after_half(Status{errors::kNotSupported,
                             "BotonWidget has no property " + name + " that takes this value",
                             false});
  return after_half(*d.status);
}

Status QtHost::get(const Member& member, std::optional<Variant>& result) {
  settle();
  BotonWidget& w = *widget_;
  const std::string name(member.name);
  if (member.call) {
    // Refresh and CreaNuevaRegion are the widget's invokable methods.
    bool called = false;
    const Delivery d = through(
        [&] { called = QMetaObject::invokeMethod(&w, name.c_str(), Qt::DirectConnection); });
    if (!called && widget_)
      return after_half(Status{errors::kNotSupported, "BotonWidget has no method " + name, false});
    return after_half(*d.status);
  }
  if (!member.get) return after_half(InstanceHost::get(member, result));
  // The control's own value says only whether the widget's type can carry it.
  std::optional<Variant> own;
  if (Status s = InstanceHost::get(member, own); !s.ok() || !own) return after_half(s);
  QVariant answer;
  const Delivery d = through([&] { answer = w.property(name.c_str()); });
  if (!widget_) return after_half(*d.status);
  if (!answer.isValid())
    return after_half(Status{errors::kNotSupported, "BotonWidget has no property " + name, false});
  std::string not_carried;
  Variant value = from_widget(member, answer, *own, not_carried);
  if (!not_carried.empty()) {
    probe_->simulated(not_carried);
    value = *own;
  }
  if (d.status->ok()) result = std::move(value);
  return after_half(*d.status);
}

// Qt tells a widget of the focus in two events: FocusIn, which the widget takes as EnterFocus
// and GotFocus, and FocusOut, as LostFocus and ExitFocus. A script's EnterFocus is held back
// until the GotFocus after it, and the pair goes as one FocusIn; LostFocus waits for ExitFocus
// the same way. A notification without its pair, or one that the widget's own focus state does
// not let Qt send, is the instance's step.
Status QtHost::focus(trace::FocusVerb verb) {
  using trace::FocusVerb;
  const bool focused = instance().focused();
  if ((half_ == FocusVerb::enter && verb == FocusVerb::got) ||
      (half_ == FocusVerb::lost && verb == FocusVerb::exit)) {
    half_.reset();
    const bool in = verb == FocusVerb::got;
    QFocusEvent e(in ? QEvent::FocusIn : QEvent::FocusOut, Qt::OtherFocusReason);
    return after_half(*through([&] { QApplication::sendEvent(widget_.data(), &e); }).status);
  }
  settle();
  std::string why;
  if (auto not_sent = not_deliverable()) {
    why = *not_sent;
  } else if (verb == FocusVerb::enter || verb == FocusVerb::lost) {
    if (focused == (verb == FocusVerb::lost)) {
      half_ = verb;
      return after_half(Status{});
    }
    why = focused ? "the widget has the focus: Qt sends it no FocusIn"
                  : "the widget does not have the focus: Qt sends it no FocusOut";
  } else {
    why = verb == FocusVerb::got ? "Qt's FocusIn carries GotFocus only after EnterFocus"
                                 : "Qt's FocusOut carries ExitFocus only after LostFocus";
  }
  probe_->simulated(why);
  return after_half(InstanceHost::focus(verb));
}

std::optional<std::string> QtHost::not_deliverable() {
  if (!widget_->isVisible()) return "Qt sends no input to a hidden widget";
  if (!widget_->isEnabled()) return "Qt sends no input to a disabled widget";
  return std::nullopt;
}

Delivery QtHost::deliver_pointer(PointerAction action, PointerTarget target, std::int16_t button,
                                 std::int16_t shift, float x, float y) {
  // What the script holds afterwards, whatever carries the verb.
  const std::int16_t before = held_;
  if (action == PointerAction::down) held_ = static_cast<std::int16_t>(held_ | button);
  if (action == PointerAction::up) held_ = static_cast<std::int16_t>(held_ & ~button);
  if (action == PointerAction::move) held_ = button;

  if (auto why = not_deliverable()) return simulated(*why);
  const bool one_button = button == 1 || button == 2 || button == 4;
  if (action != PointerAction::move && !one_button)
    return simulated("a Qt press or release is of one button (1, 2 or 4), not " +
                     std::to_string(button));
  if (button < 0 || button > 7)
    return simulated("Qt has no pointer buttons " + std::to_string(button));
  if (shift < 0 || shift > 7) return simulated("Qt has no modifier keys " + std::to_string(shift));
  const double px = x / units::kTwipsPerPixel, py = y / units::kTwipsPerPixel;
  if (px != std::floor(px) || py != std::floor(py))
    return simulated("the point is not a whole pixel");

  BotonWidget& w = *widget_;
  Qt::MouseButton which = Qt::NoButton;
  Qt::MouseButtons buttons = buttons_of(button);
  if (action != PointerAction::move) {
    which = static_cast<Qt::MouseButton>(buttons_of(button).toInt());
    buttons = action == PointerAction::down
                  ? buttons_of(static_cast<std::int16_t>(before | button))
                  : buttons_of(static_cast<std::int16_t>(before & ~button));
  }
  // The point of the widget whose event the instance sends to the script's part at the script's
  // point: where that part lies now, or, while a button holds the pointer, where the part lay
  // when it was pressed (the instance's answer for the surface's origin tells that).
  host::Instance& in = instance();
  // The widget reports the button of a press or release, and the buttons held in a move: the
  // script's `button` either way.
  const host::Hit origin = in.route(action, button, 0, 0);
  std::vector<QPointF> candidates;
  if (origin.target == target) candidates.emplace_back(x - origin.x, y - origin.y);
  if (target == PointerTarget::caption)
    candidates.emplace_back(label().left() + x, label().top() + y);
  else if (target == PointerTarget::picture)
    candidates.emplace_back(pic().left() + x, pic().top() + y);
  else
    candidates.emplace_back(x, y);
  // Qt sends the widget a point outside it, or cut away by its shape, only while a button
  // pressed on it is held (the pointer is grabbed then, as the instance's capture is).
  const bool grabbed = in.captured() && !(action == PointerAction::move && button == 0);
  std::optional<QPointF> at;
  for (const QPointF& c : candidates) {
    const double cx = c.x() / units::kTwipsPerPixel, cy = c.y() / units::kTwipsPerPixel;
    if (cx != std::floor(cx) || cy != std::floor(cy)) continue;
    const QPoint pixel(static_cast<int>(cx), static_cast<int>(cy));
    const bool inside =
        w.rect().contains(pixel) && (w.mask().isEmpty() || w.mask().contains(pixel));
    if (!inside && !grabbed) continue;
    const host::Hit seen = in.route(action, button, units::twips_of_pixels(pixel.x()),
                                    units::twips_of_pixels(pixel.y()));
    if (seen.target == target && seen.x == x && seen.y == y) {
      at = QPointF(pixel);
      break;
    }
  }
  if (!at)
    return simulated(std::string("that point of the ") + part_name(target) +
                     " is not where Qt sends the pointer to it");
  const QEvent::Type type = action == PointerAction::down ? QEvent::MouseButtonPress
                            : action == PointerAction::up ? QEvent::MouseButtonRelease
                                                          : QEvent::MouseMove;
  // The event happens where the script put the pointer; its point on the widget is the script's.
  QMouseEvent e(type, *at, QPointF(QCursor::pos()), which, buttons, modifiers_of(shift));
  return through([&] { QApplication::sendEvent(&w, &e); });
}

Delivery QtHost::send_key(QEvent::Type type, int key, Qt::KeyboardModifiers mods,
                          const QString& text, QWidget* receiver) {
  QKeyEvent e(type, key, mods, text);
  return through([&] { QApplication::sendEvent(receiver, &e); });
}

Delivery QtHost::deliver_key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) {
  using trace::KeyVerb;
  if (auto why = not_deliverable()) return simulated(*why);
  BotonWidget& w = *widget_;
  switch (verb) {
    case KeyVerb::press:
      // A key event that carries only its character, as Qt delivers composed input: the widget
      // raises KeyPress and no KeyDown for it.
      if (code < 0) return simulated("Qt has no character " + std::to_string(code));
      return send_key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(code)), &w);
    case KeyVerb::access: {
      // Qt has no access-key notification of its own. Enter and Escape reach the window's
      // default and cancel button as the window's keys (the widget watches its window for them).
      const bool enter = code == 13 && w.isDefault();
      const bool escape = code == 27 && w.isCancel();
      if (!enter && !escape)
        return simulated(
            "only Enter and Escape, for a default or cancel button, are access keys on Qt");
      return send_key(QEvent::KeyPress, enter ? Qt::Key_Return : Qt::Key_Escape, Qt::NoModifier,
                      enter ? QStringLiteral("\r") : QStringLiteral("\x1b"), &window_);
    }
    case KeyVerb::down:
    case KeyVerb::up:
      break;
  }
  if (shift < 0 || shift > 7) return simulated("Qt has no modifier keys " + std::to_string(shift));
  Qt::KeyboardModifiers mods = modifiers_of(shift);
  const int k = qt_key_for(code, mods);
  if (k == 0) return simulated("no Qt key has the code " + std::to_string(code));
  if ((k == Qt::Key_Tab || k == Qt::Key_Backtab) &&
      !(mods & (Qt::ControlModifier | Qt::AltModifier)))
    return simulated("Qt moves the focus with Tab before the widget sees it");
  if (QKeySequence(k | mods.toInt()) == QKeySequence::mnemonic(w.text()))
    return simulated("Qt takes this key as the caption's mnemonic");
  if (verb == KeyVerb::down)
    // Without text: the widget raises KeyDown alone, as for a key that types nothing.
    return send_key(QEvent::KeyPress, k, mods, QString(), &w);
  const bool press_key =
      k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter || k == Qt::Key_Escape;
  // Enter clicks a button that takes it on the key's press, and the control hears the release
  // with it: the real release is sent, and the widget leaves it.
  const bool enter = k == Qt::Key_Return || k == Qt::Key_Enter;
  if (enter && (w.isDefault() || w.autoDefault()) && !BotonWidgetAccess::took_press(w, k))
    return send_key(QEvent::KeyRelease, k, mods, QString(), &w);
  if (press_key && !BotonWidgetAccess::took_press(w, k))
    return simulated("the widget leaves the release of a key whose press it did not take");
  return send_key(QEvent::KeyRelease, k, mods, QString(), &w);
}

}  // namespace

std::unique_ptr<trace::Host> make_trace_host() { return std::make_unique<QtHost>(); }

}  // namespace brelund::qt
