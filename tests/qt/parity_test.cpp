// BotonWidget next to a plain QPushButton in the same program, where Qt defines the behaviour:
// direction, cancel and default buttons, text changes, repeats, menus, double clicks and arrow
// keys, driven through Qt's public API and real input.
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {
// The signals a QPushButton user connects to, in one list, for as long as `context` lives.
void watch(QAbstractButton* b, QStringList& log, const QObject* context) {
  QObject::connect(b, &QAbstractButton::pressed, context, [&log] { log << "pressed"; });
  QObject::connect(b, &QAbstractButton::released, context, [&log] { log << "released"; });
  QObject::connect(b, &QAbstractButton::clicked, context, [&log] { log << "clicked"; });
}

// Pixels of `r` in `shot` darker than any the face itself has: the caption's strokes.
int ink(const QImage& shot, const QRect& r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (shot.pixelColor(x, y).lightness() < 60) ++n;
  return n;
}

// The application's direction for one test, restored after it.
struct AppDirection {
  explicit AppDirection(Qt::LayoutDirection d) { QApplication::setLayoutDirection(d); }
  ~AppDirection() { QApplication::setLayoutDirection(Qt::LeftToRight); }
};
}  // namespace

class ParityTest : public QObject {
  Q_OBJECT

 private slots:
  // The caption stays and is mirrored whichever level makes the layout right-to-left.
  void right_to_left_from_any_source_keeps_the_caption() {
    QRect ltr;
    int ltr_ink = 0;
    {
      QWidget form;
      auto* b = new BotonWidget("Mirror", &form);
      b->resize(140, 40);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      ltr = Access::caption_rect(*b);
      ltr_ink = ink(b->grab().toImage(), ltr);
      QVERIFY(ltr_ink > 20);
    }
    for (const char* source : {"application", "window", "parent", "widget"}) {
      const QString what(source);
      AppDirection app(what == "application" ? Qt::RightToLeft : Qt::LeftToRight);
      QWidget form;
      auto* middle = new QWidget(&form);
      auto* b = new BotonWidget("Mirror", middle);
      b->resize(140, 40);
      middle->resize(200, 60);
      if (what == "window") form.setLayoutDirection(Qt::RightToLeft);
      if (what == "parent") middle->setLayoutDirection(Qt::RightToLeft);
      if (what == "widget") b->setLayoutDirection(Qt::RightToLeft);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      QCOMPARE(b->layoutDirection(), Qt::RightToLeft);
      const QRect at = Access::caption_rect(*b);
      QVERIFY2(at.left() == b->width() - ltr.right() - 1, source);
      const int drawn = ink(b->grab().toImage(), at);
      QVERIFY2(drawn > 20, qPrintable(QString("%1: %2 caption pixels").arg(source).arg(drawn)));
    }
  }

  // Like QDialog's one default button, a window has one cancel button.
  void one_cancel_button_per_window() {
    QDialog dialog;
    auto* layout = new QHBoxLayout(&dialog);
    auto* a = new BotonWidget("A", &dialog);
    auto* b = new BotonWidget("B", &dialog);
    auto* other = new QWidget;  // another window keeps its own
    auto* c = new BotonWidget("C", other);
    layout->addWidget(a);
    layout->addWidget(b);
    a->setCancel(true);
    c->setCancel(true);
    b->setCancel(true);
    QVERIFY(!a->isCancel());
    QVERIFY(b->isCancel());
    QVERIFY(c->isCancel());
    QVERIFY(b->setProperty("cancel", false));
    QVERIFY(!a->isCancel() && !b->isCancel());
    // The same for default buttons, which Qt keeps to one in a dialog.
    auto* p = new QPushButton("P", &dialog);
    layout->addWidget(p);
    a->setDefault(true);
    p->setDefault(true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!a->isDefault());
    QVERIFY(p->isDefault());
    // Escape goes to the one cancel button.
    a->setCancel(true);
    b->setCancel(true);
    QSignalSpy a_click(a, &BotonWidget::Click), b_click(b, &BotonWidget::Click);
    p->setFocus();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(a_click.count(), 0);
    QCOMPARE(b_click.count(), 1);
    delete other;
  }

  // Whichever API changes the caption, the change is told once, at once.
  void text_and_caption_notify_once() {
    BotonWidget b;
    QSignalSpy changed(&b, &BotonWidget::propertyChanged);
    b.setText("One");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toString(), QString("Caption"));
    QCOMPARE(b.Caption(), QString("One"));
    b.setCaption("Two");
    QCOMPARE(changed.count(), 2);
    QCOMPARE(b.text(), QString("Two"));
    QVERIFY(b.setProperty("Caption", "Three"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(b.text(), QString("Three"));
    // Through the base class, which cannot be overridden, the change arrives with the next event.
    static_cast<QAbstractButton&>(b).setText("Four");
    QCOMPARE(b.Caption(), QString("Four"));
    QCOMPARE(changed.count(), 4);
    QCOMPARE(changed.at(3).at(0).toString(), QString("Caption"));
    b.show();
    QVERIFY(QTest::qWaitForWindowExposed(&b));
    QCOMPARE(changed.count(), 4);
  }
  // A held button repeats as QAbstractButton repeats it, by its delay and interval: released(),
  // clicked() and pressed() each period, one more click at the release, the control's Click with
  // every clicked().
  void auto_repeat_repeats_while_held() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* ours = new BotonWidget("Ours", &form);
    auto* plain = new QPushButton("Plain", &form);
    layout->addWidget(ours);
    layout->addWidget(plain);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(ours), static_cast<QAbstractButton*>(plain)}) {
      b->setAutoRepeat(true);
      b->setAutoRepeatDelay(60);
      b->setAutoRepeatInterval(30);
      QStringList log;
      QObject context;
      watch(b, log, &context);
      QSignalSpy clicks(ours, &BotonWidget::Click);
      const QPoint at = b->mapTo(&form, QPoint(15, b->height() / 2));
      point_to(form, at);
      QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
      QTRY_VERIFY_WITH_TIMEOUT(log.count("clicked") >= 4, 5000);
      QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, at);
      const char* name = b == ours ? "ours" : "plain";
      QVERIFY2(log.size() >= 1 + 3 * 4 + 2, qPrintable(log.join(' ')));
      QVERIFY2(log.first() == "pressed", name);
      for (qsizetype i = 1; i + 2 < log.size(); i += 3)
        QVERIFY2(log.mid(i, 3) == QStringList({"released", "clicked", "pressed"}), name);
      QVERIFY2(log.mid(log.size() - 2) == QStringList({"released", "clicked"}), name);
      if (b == ours) QCOMPARE(clicks.count(), log.count("clicked"));
      QVERIFY(!b->isDown());
    }
  }

  // The menu opens on every press, the release it takes clicks nothing, and the control's press
  // ends with it.
  void a_menu_opens_on_every_press() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* ours = new BotonWidget("Ours", &form);
    auto* plain = new QPushButton("Plain", &form);
    layout->addWidget(ours);
    layout->addWidget(plain);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (QPushButton* b : {static_cast<QPushButton*>(ours), plain}) {
      QMenu menu;
      menu.addAction("Item");
      b->setMenu(&menu);
      int shown = 0;
      // The user lets go over the menu and then closes it.
      connect(&menu, &QMenu::aboutToShow, &menu, [&] {
        ++shown;
        QTimer::singleShot(0, &menu, [&menu] {
          QTest::mouseRelease(menu.windowHandle(), Qt::LeftButton, {}, QPoint(-3, -3));
          menu.close();
        });
      });
      QStringList log;
      QObject context;
      watch(b, log, &context);
      const QPoint at = b->mapTo(&form, QPoint(15, b->height() / 2));
      point_to(form, at);
      QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
      QCOMPARE(shown, 1);
      QVERIFY(!b->isDown());
      QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
      QCOMPARE(shown, 2);
      QCOMPARE(log, QStringList({"pressed", "pressed"}));
      if (b == ours) QVERIFY(!Access::control(*ours).pressed());
      // Space opens it as well, each time; its release goes to the menu and clicks nothing.
      b->setFocus();
      for (int i = 0; i < 2; ++i) {
        QTest::keyPress(b, Qt::Key_Space);
        QTRY_VERIFY(!menu.isVisible());
      }
      QVERIFY2(shown == 4, qPrintable(QString("%1 shown %2").arg(b->text()).arg(shown)));
      QCOMPARE(log, QStringList({"pressed", "pressed", "pressed", "pressed"}));
      if (b == ours) QVERIFY(!Access::control(*ours).pressed());
      b->setMenu(nullptr);
    }
  }

  // Each press of a double click is a press: the same signals as a QPushButton's, and the
  // control's MouseDown and MouseUp for each.
  void each_press_of_a_double_click_presses() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* ours = new BotonWidget("Ours", &form);
    auto* plain = new QPushButton("Plain", &form);
    layout->addWidget(ours);
    layout->addWidget(plain);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList ours_log, plain_log;
    watch(ours, ours_log, &form);
    watch(plain, plain_log, &form);
    EventLog events(*ours);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(ours), static_cast<QAbstractButton*>(plain)}) {
      const QPoint at = b->mapTo(&form, QPoint(15, b->height() / 2));
      point_to(form, at);
      QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {}, at);
    }
    QCOMPARE(plain_log.count("pressed"), 2);
    QCOMPARE(ours_log, plain_log);
    QStringList downs_ups;
    for (const QString& l : events.without_moves())
      if (l.startsWith("MouseDown") || l.startsWith("MouseUp")) downs_ups << l.section(' ', 0, 0);
    QCOMPARE(downs_ups, QStringList({"MouseDown", "MouseUp", "MouseDown", "MouseUp"}));
  }

  // The arrows move the focus among a group's buttons as among QPushButtons, and to the next
  // widget outside a group; the control sees the key-down.
  void arrow_keys_move_the_focus() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    QList<QAbstractButton*> ours, plain;
    QButtonGroup ours_group, plain_group;
    for (int i = 0; i < 3; ++i) {
      ours << new BotonWidget(QString("O%1").arg(i), &form);
      plain << new QPushButton(QString("P%1").arg(i), &form);
    }
    for (int i = 0; i < 3; ++i) {
      layout->addWidget(ours[i]);
      ours_group.addButton(ours[i]);
    }
    for (int i = 0; i < 3; ++i) {
      layout->addWidget(plain[i]);
      plain_group.addButton(plain[i]);
    }
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    EventLog events(*static_cast<BotonWidget*>(ours[0]));
    // Where the focus is after each key, by position in the row.
    QList<QList<int>> walks;
    for (const auto& row : {ours, plain}) {
      row[0]->setFocus();
      QVERIFY(row[0]->hasFocus());
      QList<int> walk;
      for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up,
                          Qt::Key_Down, Qt::Key_Left}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        walk << static_cast<int>(row.indexOf(QApplication::focusWidget()));
      }
      walks << walk;
    }
    QCOMPARE(walks[1].mid(0, 4), QList<int>({1, 2, 2, 1}));
    QCOMPARE(walks[0], walks[1]);
    QCOMPARE(events.lines.first(), QString("KeyDown 39 0"));
    // Outside a group, to the next widget in the focus chain, as a QPushButton.
    auto* lone = new BotonWidget("Lone", &form);
    auto* after = new QPushButton("After", &form);
    layout->addWidget(lone);
    layout->addWidget(after);
    lone->show();
    after->show();
    lone->setFocus();
    QTest::keyClick(lone, Qt::Key_Right);
    QVERIFY(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Left);
    QVERIFY(lone->hasFocus());
  }
  // The Font property, setFont, a style sheet's font, the parent's and the application's are one
  // store, resolved as Qt resolves a widget's font; each change is told once.
  void one_font() {
    QWidget form;
    auto* set = new BotonWidget("Set", &form);
    auto* left = new BotonWidget("Left", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSignalSpy changed(set, &BotonWidget::propertyChanged);
    const auto caption_points = [](BotonWidget* b) {
      return Access::label(*b).qfont().pointSizeF();
    };
    // Designer's Font, through the property as uic sets it.
    QVERIFY(set->setProperty("Font", QFont("DejaVu Sans", 14)));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(set->font().pointSizeF(), 14.0);
    QCOMPARE(caption_points(set), 14.0);
    // setFont afterwards still reaches the caption, and Font reads it.
    set->setFont(QFont("DejaVu Sans", 20));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.at(1).at(0).toString(), QString("Font"));
    QCOMPARE(set->Font().pointSizeF(), 20.0);
    QCOMPARE(caption_points(set), 20.0);
    // The parent's font reaches a button whose font was not set, not one whose font was.
    form.setFont(QFont("DejaVu Sans", 16));
    QCOMPARE(caption_points(left), 16.0);
    QCOMPARE(left->Font().pointSizeF(), 16.0);
    QCOMPARE(caption_points(set), 20.0);
    QCOMPARE(changed.count(), 2);
    // A style sheet's font wins, as it does on any widget, and leaves with the sheet.
    set->setStyleSheet("font-size: 30px");
    QCOMPARE(QFontInfo(Access::label(*set).qfont()).pixelSize(),
             QFontInfo(set->font()).pixelSize());
    QVERIFY(QFontInfo(set->font()).pixelSize() >= 29);
    set->setStyleSheet({});
    QCOMPARE(caption_points(set), 20.0);
    // The sizes follow the caption's font.
    QVERIFY(set->sizeHint().height() > left->sizeHint().height());
  }
  // A toggle button that is on, and a button held down by setDown, show the control's own pressed
  // look: the face and the content as a held Space shows them. Off again, the face is the normal
  // one, pixel for pixel.
  void checked_and_down_show_the_pressed_look() {
    QWidget form;
    auto* toggle = new BotonWidget("Toggle", &form);
    auto* other = new QPushButton("Other", &form);
    toggle->setCheckable(true);
    toggle->resize(120, 36);
    other->move(0, 60);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    toggle->setFocus();
    const QImage normal = toggle->grab().toImage();
    const QRect at_rest = Access::caption_rect(*toggle);
    QTest::keyPress(toggle, Qt::Key_Space);
    const QImage held = toggle->grab().toImage();
    QVERIFY(held != normal);
    QTest::keyRelease(toggle, Qt::Key_Space);
    QVERIFY(toggle->isChecked());
    QCOMPARE(toggle->grab().toImage(), held);
    QCOMPARE(Access::caption_rect(*toggle), at_rest.translated(1, 1));
    toggle->setChecked(false);
    QCOMPARE(toggle->grab().toImage(), normal);
    QCOMPARE(Access::caption_rect(*toggle), at_rest);
    // setDown is the same look, and so is checked set from code.
    toggle->setDown(true);
    QCOMPARE(toggle->grab().toImage(), held);
    toggle->setDown(false);
    QCOMPARE(toggle->grab().toImage(), normal);
    toggle->setChecked(true);
    QCOMPARE(toggle->grab().toImage(), held);
    // The control repaints its face (the focus leaves): the checked look stays.
    other->setFocus();
    const QImage unfocused_on = toggle->grab().toImage();
    QVERIFY(unfocused_on != held);
    QCOMPARE(Access::caption_rect(*toggle), at_rest.translated(1, 1));
    toggle->setChecked(false);
    QVERIFY(toggle->grab().toImage() != unfocused_on);
    QCOMPARE(Access::caption_rect(*toggle), at_rest);
  }
  // The default button carries a mark inside its shape and a menu button an indicator at its
  // end, each only there; a flat button shows no face until it is lit or held down.
  void default_menu_and_flat_are_drawn() {
    QWidget form;
    form.resize(300, 300);
    QMenu menu;
    BotonWidget* b[4];
    for (int i = 0; i < 4; ++i) {
      b[i] = new BotonWidget("Same", &form);
      b[i]->setGeometry(10, 10 + 50 * i, 120, 36);
      b[i]->setFocusPolicy(Qt::NoFocus);  // the focus lights a face
    }
    BotonWidget *normal = b[0], *def = b[1], *with_menu = b[2], *flat = b[3];
    def->setDefault(true);
    with_menu->setMenu(&menu);
    flat->setFlat(true);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    point_to(form, QPoint(290, 290));
    const QImage rest = normal->grab().toImage();
    const QImage marked = def->grab().toImage(), indicated = with_menu->grab().toImage();
    QVERIFY(marked != rest);
    QVERIFY(indicated != rest);
    int mark = 0, indicator = 0;
    for (int y = 0; y < rest.height(); ++y)
      for (int x = 0; x < rest.width(); ++x) {
        // Outside the window shape nothing is painted.
        if (!normal->mask().isEmpty() && !normal->mask().contains(QPoint(x, y))) continue;
        if (marked.pixel(x, y) != rest.pixel(x, y)) {
          ++mark;
          QVERIFY2(x >= 2 && x <= rest.width() - 3 && y >= 2 && y <= rest.height() - 3,
                   qPrintable(QString("mark at %1,%2").arg(x).arg(y)));
        }
        if (indicated.pixel(x, y) != rest.pixel(x, y)) {
          ++indicator;
          QVERIFY2(x > rest.width() / 2, qPrintable(QString("indicator at %1,%2").arg(x).arg(y)));
        }
      }
    // The outline runs round the button; the indicator is a few pixels.
    QVERIFY(mark > rest.width() + rest.height());
    QVERIFY(indicator > 4 && indicator < 80);
    // Flat: the window's background where the face would be, until pressed.
    const QPoint top(flat->x() + flat->width() / 2, flat->y() + 4);
    const QColor background = form.grab().toImage().pixelColor(280, 10);
    QCOMPARE(form.grab().toImage().pixelColor(top), background);
    flat->setDown(true);
    QVERIFY(form.grab().toImage().pixelColor(top) != background);
    flat->setDown(false);
    QCOMPARE(form.grab().toImage().pixelColor(top), background);
  }
};

QTEST_MAIN(ParityTest)
#include "parity_test.moc"
