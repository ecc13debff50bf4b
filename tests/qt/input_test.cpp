// Qt's own mouse and key events on BotonWidget: which part of the control a point reaches (the
// caption over the picture, a disabled picture, a right-to-left layout, a held button's capture)
// with that part's own coordinates, and which keys click the button.
#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <utility>

#include "brelund/units.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {

// A move with the buttons held, as the platform reports it while a button is down.
void move(BotonWidget& b, QPoint at, Qt::MouseButtons held) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(b.mapToGlobal(at)), Qt::NoButton, held,
                Qt::NoModifier);
  QApplication::sendEvent(&b, &e);
}

}  // namespace

class InputTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<QWidget> form_;
  BotonWidget* b_ = nullptr;
  std::unique_ptr<EventLog> log_;

  // The caption (40 x 20 pixels at 100, 20) and the picture (16 x 16 at 90, 30) overlap in the
  // pixels 100..105 x 30..39, as a host's layout might place them; the control lays them out again
  // after each press, which must not move what the press holds.
  void place() {
    host::Label& label = Access::label(*b_);
    host::Image& pic = Access::pic(*b_);
    label.set_left(1500);
    label.set_top(300);
    pic.set_left(1350);
    pic.set_top(450);
    QCOMPARE(label.width(), 600.0f);
    QCOMPARE(pic.width(), 240.0f);
  }
  QStringList take() { return std::exchange(log_->lines, {}); }

 private slots:
  void init() {
    form_ = std::make_unique<QWidget>();
    form_->resize(300, 100);
    b_ = new BotonWidget("Ab", form_.get());
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b_->setPicture(QPixmap::fromImage(icon));
    Access::label(*b_).pin_size(std::pair{600.0f, 300.0f});
    b_->setGeometry(10, 10, 200, 60);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    log_ = std::make_unique<EventLog>(*b_);
  }
  void cleanup() {
    log_.reset();
    form_.reset();
  }

  void the_part_under_the_pointer_gets_it_in_its_own_coordinates() {
    // Where both are, the caption (painted over the picture) gets the press.
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(102, 35));
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(102, 35));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 30 225", "Click", "MouseUp 1 0 30 225"}));
    // The picture alone; the modifiers and the right button come as they are.
    place();
    QTest::mousePress(b_, Qt::RightButton, Qt::ShiftModifier, QPoint(92, 35));
    QTest::mouseRelease(b_, Qt::RightButton, Qt::ShiftModifier, QPoint(92, 35));
    QCOMPARE(take(), QStringList({"MouseDown 2 1 30 75", "MouseUp 2 1 30 75"}));
    // The face around them.
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(20, 30));
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(20, 30));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 300 450", "Click", "MouseUp 1 0 300 450"}));
  }

  void a_disabled_picture_leaves_the_point_to_the_face() {
    place();
    Access::pic(*b_).set_enabled(kFalse);
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(92, 35));
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(92, 35));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 1380 525", "Click", "MouseUp 1 0 1380 525"}));
    // Where the caption lies over it, the caption still gets the point.
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(102, 35));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 30 225"}));
  }

  void the_pressed_part_keeps_the_pointer_until_the_release() {
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(92, 35));
    // Off the picture, and off the button: still the picture's, from where it was pressed.
    move(*b_, QPoint(150, 50), Qt::LeftButton);
    move(*b_, QPoint(-5, 70), Qt::LeftButton);
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(150, 50));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 30 75", "MouseMove 1 0 900 300",
                                  "MouseMove 1 0 -1425 600", "Click", "MouseUp 1 0 900 300"}));
    // Released, the pointer goes by where it is again.
    move(*b_, QPoint(20, 30), Qt::NoButton);
    QCOMPARE(take(), QStringList({"MouseMove 0 0 300 450"}));
  }

  void right_to_left_mirrors_where_the_parts_are() {
    place();
    b_->setLayoutDirection(Qt::RightToLeft);
    // Mirrored in 200 pixels, the caption lies at 60..99 and the picture at 94..109; each part
    // counts from the edge it starts at, its right one.
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(97, 35));
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(97, 35));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 45 225", "Click", "MouseUp 1 0 45 225"}));
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(105, 35));
    move(*b_, QPoint(50, 35), Qt::LeftButton);
    QTest::mouseRelease(b_, Qt::LeftButton, {}, QPoint(50, 35));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 75 75", "MouseMove 1 0 900 75", "Click",
                                  "MouseUp 1 0 900 75"}));
    // The face itself is not mirrored.
    place();
    QTest::mousePress(b_, Qt::LeftButton, {}, QPoint(20, 30));
    QCOMPARE(take(), QStringList({"MouseDown 1 0 300 450"}));
  }
};

// Keys from the keyboard, through the window that has the focus.
class KeyTest : public QObject {
  Q_OBJECT

 private:
  // A dialog with a plain button, a cancel button and a second plain button.
  struct Dialog {
    QDialog dialog;
    BotonWidget* plain = new BotonWidget("Plain", &dialog);
    BotonWidget* cancel = new BotonWidget("Cancel", &dialog);
    BotonWidget* other = new BotonWidget("Other", &dialog);
    EventLog plain_log{*plain}, cancel_log{*cancel}, other_log{*other};
    Dialog() {
      plain->move(10, 10);
      cancel->move(10, 60);
      other->move(10, 110);
      cancel->setCancel(true);
      // Not the dialog's default while it has the focus, so that Enter is its own.
      for (BotonWidget* b : {plain, cancel, other}) b->setAutoDefault(false);
    }
    bool open() {
      dialog.show();
      dialog.activateWindow();
      return QTest::qWaitForWindowActive(&dialog);
    }
    void clear() {
      for (EventLog* log : {&plain_log, &cancel_log, &other_log}) log->lines.clear();
    }
  };

 private slots:
  void escape_on_another_button_clicks_only_the_cancel_button() {
    Dialog d;
    QVERIFY(d.open());
    d.plain->setFocus();
    d.clear();
    QTest::keyClick(d.plain, Qt::Key_Escape);
    QCOMPARE(d.plain_log.lines, QStringList());
    QCOMPARE(d.cancel_log.lines, QStringList({"KeyDown 27 0", "Click", "KeyUp 27 0"}));
  }

  void escape_clicks_no_button_that_is_not_the_cancel_one() {
    // A window without a cancel button, and not a dialog: the focused button hears Escape.
    QWidget window;
    auto* b = new BotonWidget("Plain", &window);
    EventLog log(*b);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Escape);
    QCOMPARE(log.lines, QStringList({"KeyDown 27 0", "KeyPress 27", "KeyUp 27 0"}));
  }

  void a_release_without_its_press_clicks_nothing() {
    Dialog d;
    QVERIFY(d.open());
    d.plain->setFocus();
    d.clear();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape})
      QTest::keyRelease(d.plain, key);
    QCOMPARE(d.plain_log.lines, QStringList());
    QCOMPARE(d.cancel_log.lines, QStringList());
    // Nor does one whose press the focus carried away: held on one button, let go on another.
    QTest::keyPress(d.plain, Qt::Key_Space);
    d.other->setFocus();
    QTest::keyRelease(d.other, Qt::Key_Space);
    QCOMPARE(d.plain_log.lines, QStringList({"KeyDown 32 0", "KeyPress 32"}));
    QCOMPARE(d.other_log.lines, QStringList());
  }

  void space_and_enter_click_the_focused_button() {
    Dialog d;
    QVERIFY(d.open());
    d.plain->setFocus();
    d.clear();
    QTest::keyPress(d.plain, Qt::Key_Space);
    QVERIFY(Access::control(*d.plain).pressed());
    QVERIFY(d.plain->isDown());
    QTest::keyRelease(d.plain, Qt::Key_Space);
    QVERIFY(!Access::control(*d.plain).pressed());
    QCOMPARE(d.plain_log.lines,
             QStringList({"KeyDown 32 0", "KeyPress 32", "Click", "KeyUp 32 0"}));
    d.clear();
    // Enter on an autoDefault button that is not the dialog's default (it has none) clicks it;
    // without autoDefault the dialog gets it, and with no default button nothing clicks, as for
    // a QPushButton.
    QVERIFY(!d.plain->isDefault());
    QTest::keyClick(d.plain, Qt::Key_Return);
    QCOMPARE(d.plain_log.lines, QStringList());
    d.plain->setAutoDefault(true);
    QTest::keyClick(d.plain, Qt::Key_Return);
    QCOMPARE(d.plain_log.lines,
             QStringList({"KeyDown 13 0", "KeyPress 13", "Click", "KeyUp 13 0"}));
    QCOMPARE(d.other_log.lines, QStringList());
  }

  void a_mouse_press_ends_without_a_click_as_a_qpushbuttons_does() {
    // Escape, the focus moving away and disabling each let a held button up with released()
    // and no clicked(), and the later release is nobody's; the same steps on a QPushButton in
    // the same window give the same signals.
    QWidget window;
    auto* boton = new BotonWidget("Boton", &window);
    auto* qt_button = new QPushButton("Qt", &window);
    auto* elsewhere = new QPushButton("Elsewhere", &window);
    qt_button->move(0, 50);
    elsewhere->move(0, 100);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const std::function<void(QPushButton*)> ends[] = {
        [](QPushButton* b) { QTest::keyClick(b, Qt::Key_Escape); },
        [elsewhere](QPushButton*) { elsewhere->setFocus(Qt::TabFocusReason); },
        [](QPushButton* b) { b->setEnabled(false); },
    };
    // Escape lets up a button held by setDown(true) as well.
    for (QPushButton* b : {static_cast<QPushButton*>(boton), qt_button}) {
      b->setFocus();
      b->setDown(true);
      QSignalSpy released(b, &QPushButton::released);
      QSignalSpy clicked(b, &QPushButton::clicked);
      QTest::keyClick(b, Qt::Key_Escape);
      QVERIFY(!b->isDown());
      QCOMPARE(released.count(), 1);
      QCOMPARE(clicked.count(), 0);
    }
    for (const auto& end : ends) {
      QStringList heard[2];
      int i = 0;
      for (QPushButton* b : {static_cast<QPushButton*>(boton), qt_button}) {
        QStringList* out = &heard[i++];
        b->setEnabled(true);
        b->setFocus();
        QObject::connect(b, &QPushButton::pressed, &window, [out] { *out << "pressed"; });
        QObject::connect(b, &QPushButton::released, &window, [out] { *out << "released"; });
        QObject::connect(b, &QPushButton::clicked, &window, [out] { *out << "clicked"; });
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(b->isDown());
        end(b);
        QVERIFY(!b->isDown());
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!b->isDown());
        b->disconnect(&window);
      }
      QCOMPARE(heard[1], QStringList({"pressed", "released"}));
      QCOMPARE(heard[0], heard[1]);
      QVERIFY(!Access::control(*boton).pressed());
    }
  }

  void enter_on_a_button_neither_default_nor_auto_default_goes_to_the_window() {
    // As a QPushButton beside it in the same window: Enter neither presses nor clicks it, and
    // the window hears the key. An autoDefault one takes Enter and clicks.
    QWidget window;
    auto* boton = new BotonWidget("Boton", &window);
    auto* qt_button = new QPushButton("Qt", &window);
    qt_button->move(0, 50);
    EventLog log(*boton);
    QStringList signals_of[2];
    int i = 0;
    for (QPushButton* b : {static_cast<QPushButton*>(boton), qt_button}) {
      QStringList* out = &signals_of[i++];
      QObject::connect(b, &QPushButton::pressed, [out] { *out << "pressed"; });
      QObject::connect(b, &QPushButton::released, [out] { *out << "released"; });
      QObject::connect(b, &QPushButton::clicked, [out] { *out << "clicked"; });
    }
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (QPushButton* b : {static_cast<QPushButton*>(boton), qt_button}) {
      QVERIFY(!b->isDefault() && !b->autoDefault());
      b->setFocus();
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(b, &press);
      QVERIFY(!press.isAccepted());
      QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(b, &release);
      QVERIFY(!b->isDown());
    }
    QCOMPARE(signals_of[0], QStringList());
    QCOMPARE(signals_of[1], QStringList());
    QCOMPARE(log.lines, QStringList());
    for (QPushButton* b : {static_cast<QPushButton*>(boton), qt_button}) {
      b->setAutoDefault(true);
      b->setFocus();
      QTest::keyClick(b, Qt::Key_Return);
    }
    QCOMPARE(signals_of[1], QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(signals_of[0], signals_of[1]);
    QCOMPARE(log.lines, QStringList({"KeyDown 13 0", "KeyPress 13", "Click", "KeyUp 13 0"}));
  }
};

// The same real input on a BotonWidget and on a QPushButton gives the same signals, in the same
// order, where the control's own press would differ from Qt's.
class LikeQPushButtonTest : public QObject {
  Q_OBJECT

  // pressed(), released() and clicked() as one line each, and whether the button is down after.
  struct Heard {
    QStringList lines;
    explicit Heard(QAbstractButton& b) {
      QObject::connect(&b, &QAbstractButton::pressed, &b, [this] { lines << "pressed"; });
      QObject::connect(&b, &QAbstractButton::released, &b, [this] { lines << "released"; });
      QObject::connect(&b, &QAbstractButton::clicked, &b, [this] { lines << "clicked"; });
    }
  };

  // Runs `input` on a new BotonWidget and a new QPushButton (each alone, never shown unless
  // `input` shows it) and returns what each emitted: ours first.
  static std::pair<QStringList, QStringList> both(const std::function<void(QPushButton&)>& input) {
    BotonWidget ours("Ours");
    QPushButton theirs("Theirs");
    Heard a(ours), b(theirs);
    for (QPushButton* button : {static_cast<QPushButton*>(&ours), &theirs}) {
      button->setGeometry(0, 0, 60, 30);
      input(*button);
    }
    if (ours.isDown() != theirs.isDown())
      return {{"down", QString::number(ours.isDown())}, b.lines};
    // One press: the control is never held while Qt shows the button up.
    if (Access::control(ours).pressed() && !ours.isDown()) return {{"control held"}, b.lines};
    return {a.lines, b.lines};
  }

 private slots:
  void set_down_false_ends_the_press_that_the_next_press_starts_again() {
    // Space held, Qt lets the button up, then a new press and release of Space.
    const auto [ours, theirs] = both([](QPushButton& b) {
      QTest::keyPress(&b, Qt::Key_Space);
      b.setDown(false);
      QTest::keyPress(&b, Qt::Key_Space);
      QTest::keyRelease(&b, Qt::Key_Space);
    });
    QCOMPARE(theirs, QStringList({"pressed", "pressed", "released", "clicked"}));
    QCOMPARE(ours, theirs);
  }

  void a_key_press_ends_without_a_click_as_a_qpushbuttons_does() {
    // Space held, then Escape, Qt letting the button up, disabling it or the focus leaving; then
    // Space let go: no click, and the release of one press at most.
    const std::function<void(QPushButton&)> ends[] = {
        [](QPushButton& b) { QTest::keyClick(&b, Qt::Key_Escape); },
        [](QPushButton& b) { b.setDown(false); },
        [](QPushButton& b) { b.setEnabled(false); },
        [](QPushButton& b) {
          QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
          QApplication::sendEvent(&b, &out);
        },
    };
    for (const auto& end : ends) {
      const auto [ours, theirs] = both([&end](QPushButton& b) {
        QTest::keyPress(&b, Qt::Key_Space);
        end(b);
        QTest::keyRelease(&b, Qt::Key_Space);
      });
      QVERIFY(!theirs.contains("clicked"));
      QCOMPARE(ours, theirs);
    }
    // Qt letting a mouse press up: its release clicks nothing either.
    const auto [ours, theirs] = both([](QPushButton& b) {
      QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
      b.setDown(false);
      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
    });
    QCOMPARE(theirs, QStringList({"pressed"}));
    QCOMPARE(ours, theirs);
  }

  void clicks_from_code_within_a_press_are_qts() {
    // click() while Space holds the button, and Space let go: one click, by click().
    const auto [ours, theirs] = both([](QPushButton& b) {
      QTest::keyPress(&b, Qt::Key_Space);
      b.click();
      QTest::keyRelease(&b, Qt::Key_Space);
    });
    QCOMPARE(theirs, QStringList({"pressed", "pressed", "released", "clicked"}));
    QCOMPARE(ours, theirs);
    // A button set down from code takes a real press as its own: the release clicks it.
    const auto [ours_down, theirs_down] = both([](QPushButton& b) {
      b.setDown(true);
      QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(10, 10));
    });
    QCOMPARE(theirs_down, QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(ours_down, theirs_down);
  }

  void the_platforms_other_press_keys_click() {
    // Select is a press key of Qt's generic and offscreen themes, beside Space.
    const auto [ours, theirs] = both([](QPushButton& b) { QTest::keyClick(&b, Qt::Key_Select); });
    QCOMPARE(theirs, QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(ours, theirs);
    // Other keys press neither.
    const auto [ours_a, theirs_a] = both([](QPushButton& b) { QTest::keyClick(&b, Qt::Key_A); });
    QCOMPARE(theirs_a, QStringList());
    QCOMPARE(ours_a, theirs_a);
  }

  void a_button_never_shown_is_pressed_again_when_dragged_back_in() {
    const auto [ours, theirs] = both([](QPushButton& b) {
      QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
      QTest::mouseMove(&b, QPoint(100, 100));
      QTest::mouseMove(&b, QPoint(10, 10));
      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(10, 10));
    });
    QCOMPARE(theirs, QStringList({"pressed", "released", "pressed", "released", "clicked"}));
    QCOMPARE(ours, theirs);
  }

  void another_mouse_button_leaves_the_left_press_as_it_is() {
    // A right click while the left button holds the button; then the drag out lets it up.
    const auto [ours, theirs] = both([](QPushButton& b) {
      QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(10, 10));
      QMouseEvent right(QEvent::MouseButtonPress, QPointF(10, 10), b.mapToGlobal(QPointF(10, 10)),
                        Qt::RightButton, Qt::LeftButton | Qt::RightButton, Qt::NoModifier);
      QApplication::sendEvent(&b, &right);
      QMouseEvent up(QEvent::MouseButtonRelease, QPointF(10, 10), b.mapToGlobal(QPointF(10, 10)),
                     Qt::RightButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&b, &up);
      QVERIFY(b.isDown());
      QMouseEvent out(QEvent::MouseMove, QPointF(100, 100), b.mapToGlobal(QPointF(100, 100)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&b, &out);
      QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(100, 100));
    });
    QCOMPARE(theirs, QStringList({"pressed", "released"}));
    QCOMPARE(ours, theirs);
  }

  void enter_on_an_auto_default_button_presses_releases_and_clicks_at_once() {
    const auto [ours, theirs] = both([](QPushButton& b) {
      b.show();  // the window's shown buttons are its form
      QTest::keyPress(&b, Qt::Key_Enter);
      b.setAutoDefault(true);
      QTest::keyPress(&b, Qt::Key_Enter);
      QTest::keyRelease(&b, Qt::Key_Enter);
    });
    QCOMPARE(theirs, QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(ours, theirs);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = 0;
  {
    InputTest t;
    failed |= QTest::qExec(&t, argc, argv);
  }
  {
    KeyTest t;
    failed |= QTest::qExec(&t, argc, argv);
  }
  {
    LikeQPushButtonTest t;
    failed |= QTest::qExec(&t, argc, argv);
  }
  return failed;
}

#include "input_test.moc"
