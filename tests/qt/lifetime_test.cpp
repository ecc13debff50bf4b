// An application may delete the button, or the dialog that holds it, from a slot of any of its
// events or of clicked(); it may also hide or disable it there, or press, check or click it from
// code. The button must stop at once and touch nothing afterwards (AddressSanitizer watches in the
// sanitizer build), and is never left down once the input is over. Runs on offscreen and, with
// the real X pointer, on xcb.
#include <QDialog>
#include <QTest>

#include "brelund/qt/form_window.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {
enum class Act {
  delete_button,
  delete_dialog,
  later_button,
  later_dialog,
  hide,
  disable,
  set_down,
  set_up,
  check,
  click,
  animate_click,
  count
};

// The slot connected to the signal under test.
class Actor : public QObject {
  Q_OBJECT
 public:
  Act act = Act::delete_button;
  QPointer<QDialog> dialog;
  QPointer<BotonWidget> button;
  int calls = 0;
 public slots:
  void run() {
    if (calls) return;  // once: the step (or the act itself) may raise the signal again
    ++calls;
    switch (act) {
      case Act::delete_button:
        delete button.data();
        break;
      case Act::delete_dialog:
        delete dialog.data();
        break;
      case Act::later_button:
        button->deleteLater();
        break;
      case Act::later_dialog:
        dialog->deleteLater();
        break;
      case Act::hide:
        button->hide();
        break;
      case Act::disable:
        button->setEnabled(false);
        break;
      case Act::set_down:
        button->setDown(true);
        break;
      case Act::set_up:
        button->setDown(false);
        break;
      case Act::check:
        button->setCheckable(true);
        button->setChecked(!button->isChecked());
        break;
      case Act::click:
        button->click();
        break;
      case Act::animate_click:
        button->animateClick();
        break;
      case Act::count:
        break;
    }
  }
};
}  // namespace

class LifetimeTest : public QObject {
  Q_OBJECT

 private slots:
  void survives_the_application_data() {
    QTest::addColumn<QByteArray>("signal");
    QTest::addColumn<int>("act");
    const char* const signal_names[] = {
        SIGNAL(Click()),
        SIGNAL(clicked()),
        SIGNAL(pressed()),
        SIGNAL(released()),
        SIGNAL(KeyDown(short&, short&)),
        SIGNAL(KeyPress(short&)),
        SIGNAL(KeyUp(short&, short&)),
        SIGNAL(MouseDown(short&, short&, float&, float&)),
        SIGNAL(MouseMove(short&, short&, float&, float&)),
        SIGNAL(MouseUp(short&, short&, float&, float&)),
        SIGNAL(Resize()),
        SIGNAL(propertyChanged(QString)),
    };
    const char* const act_names[] = {
        "delete",     "delete dialog", "deleteLater", "deleteLater dialog",
        "hide",       "disable",       "setDown",     "setDown false",
        "setChecked", "click",         "animateClick"};
    static_assert(std::size(act_names) == static_cast<std::size_t>(Act::count));
    for (const char* s : signal_names)
      for (int a = 0; a < static_cast<int>(Act::count); ++a)
        QTest::newRow(qPrintable(QString("%1 %2").arg(s + 1).arg(act_names[a])))
            << QByteArray(s) << a;
  }

  void survives_the_application() {
    QFETCH(QByteArray, signal);
    QFETCH(int, act);
    auto* dialog = new QDialog;
    dialog->resize(320, 140);
    auto* b = new BotonWidget("Aceptar", dialog);
    b->move(40, 40);
    b->setDefault(true);
    Actor actor;
    actor.act = static_cast<Act>(act);
    actor.dialog = dialog;
    actor.button = b;
    QVERIFY(QObject::connect(b, signal.constData(), &actor, SLOT(run()), Qt::DirectConnection));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    QPointer<QDialog> alive_dialog(dialog);
    const QPoint inside = b->mapTo(dialog, QPoint(15, b->height() / 2));

    // Everything that raises an event, until the slot has run.
    auto still = [&] { return actor.calls == 0 && alive_dialog && actor.button; };
    if (still()) {
      // From outside the button onto it: the platform reports a move.
      QCursor::setPos(dialog->mapToGlobal(QPoint(2, 2)));
      QTRY_COMPARE_WITH_TIMEOUT(QCursor::pos(), dialog->mapToGlobal(QPoint(2, 2)), 2000);
      QCursor::setPos(dialog->mapToGlobal(inside));
      QTRY_COMPARE_WITH_TIMEOUT(QCursor::pos(), dialog->mapToGlobal(inside), 2000);
      QTest::qWait(20);
    }
    if (still()) QTest::mouseMove(dialog->windowHandle(), inside + QPoint(3, 1));
    if (still()) QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, inside);
    if (still()) {
      b->setFocus();
      QTest::keyClick(b, Qt::Key_Space);
    }
    if (still()) QTest::keyClick(dialog, Qt::Key_Return);
    if (still()) {
      // Deleting a widget inside its own resizeEvent (QWidget::resize) is beyond what any Qt
      // widget survives: Qt's own resize code goes on with it. The host's resize step is the
      // control's, and is tested here; the other acts go through QWidget::resize.
      const bool deletes = actor.act == Act::delete_button || actor.act == Act::delete_dialog;
      if (deletes)
        Access::resize(*b, 3750, 1050);
      else
        b->resize(250, 70);
    }
    if (still()) b->setProperty("RoundSize", 10);
    QCOMPARE(actor.calls, 1);
    QTest::qWait(10);  // deferred deletes
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    switch (actor.act) {
      case Act::delete_button:
      case Act::later_button:
        QVERIFY(!actor.button);
        QVERIFY(alive_dialog);
        break;
      case Act::delete_dialog:
      case Act::later_dialog:
        QVERIFY(!alive_dialog && !actor.button);
        break;
      case Act::hide:
        QVERIFY(actor.button && !actor.button->isVisible());
        break;
      case Act::disable:
        QVERIFY(actor.button && !actor.button->isEnabled());
        break;
      default:
        QVERIFY(actor.button);
        break;
    }
    // What is left still works: the dialog takes a click on where the button was.
    if (alive_dialog) {
      QTest::mouseClick(alive_dialog->windowHandle(), Qt::LeftButton, {}, inside);
      QTest::keyClick(alive_dialog.data(), Qt::Key_Return);
      // No press outlives the input: Qt's and the control's are over (animateClick's after its
      // moment).
      if (actor.button) {
        QTRY_VERIFY(!actor.button->isDown());
        QVERIFY(!Access::control(*actor.button).pressed());
      }
      delete alive_dialog.data();
    }
  }

  // A form's buttons are the application's too: one it deletes leaves the form, which then
  // neither hands it out nor saves it.
  void a_form_forgets_a_deleted_button() {
    FormWindow form;
    BotonWidget* a = form.addButton("A", 120, 120);
    BotonWidget* b = form.addButton("B", 120, 1200);
    BotonWidget* c = form.addButton("C", 120, 2400);
    c->setCaption("Tercero");
    form.setDefaultButton(a);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QObject::connect(a, &QPushButton::clicked, a, &QObject::deleteLater);
    a->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(form.buttons().size(), std::size_t{2});
    QVERIFY(form.buttons() == (std::vector<BotonWidget*>{b, c}));
    QCOMPARE(form.button("A"), nullptr);
    QCOMPARE(form.defaultButton(), nullptr);
    delete b;
    QVERIFY(form.buttons() == std::vector<BotonWidget*>{c});
    const forms::Form saved = form.capture();
    QCOMPARE(saved.controls.size(), std::size_t{1});
    QCOMPARE(saved.controls[0].name, "C");
    QVERIFY(saved.controls[0].properties.size() > 0);
    form.setDefaultButton(c);
    QCOMPARE(form.defaultButton(), c);
  }
};

QTEST_MAIN(LifetimeTest)
#include "lifetime_test.moc"
