// BotonWidget as a Qt application sees it: a QPushButton in dialogs, layouts and button boxes,
// to accessibility, and under theme, font, enabled-state and direction changes.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "brelund/design.h"
#include "control/event_table.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {
// Everything a QPushButton user connects to, in one list.
QStringList& watch(QPushButton* b, QStringList& log) {
  QObject::connect(b, &QPushButton::pressed, [&log] { log << "pressed"; });
  QObject::connect(b, &QPushButton::released, [&log] { log << "released"; });
  QObject::connect(b, &QPushButton::clicked, [&log] { log << "clicked"; });
  return log;
}

QPoint inside(const QWidget& w) { return QPoint(15, w.height() / 2); }
}  // namespace

class ButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void signals_follow_the_event_table() {
    const QMetaObject& mo = BotonWidget::staticMetaObject;
    for (const EventInfo& e : events()) {
      const QByteArray name(e.name.data(), static_cast<qsizetype>(e.name.size()));
      int found = -1;
      for (int i = mo.methodOffset(); i < mo.methodCount(); ++i)
        if (mo.method(i).methodType() == QMetaMethod::Signal && mo.method(i).name() == name)
          found = i;
      QVERIFY2(found >= 0, name.constData());
      const QMetaMethod m = mo.method(found);
      QCOMPARE(m.parameterCount(), static_cast<int>(e.args.size()));
      for (int a = 0; a < m.parameterCount(); ++a) {
        const auto& arg = e.args[static_cast<std::size_t>(a)];
        QCOMPARE(m.parameterNames()[a].toStdString(), std::string(arg.name));
        // By reference, so that a slot's change reaches the control.
        QCOMPARE(m.parameterTypeName(a),
                 QByteArray(arg.type == EventArgType::int16 ? "short&" : "float&"));
      }
    }
  }

  void a_mouse_click_is_a_qt_click() {
    QWidget form;
    auto* b = new BotonWidget(&form);
    b->move(40, 30);
    form.resize(300, 120);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList log;
    watch(b, log);
    EventLog events(*b);
    connect(b, &BotonWidget::Click, [&log] { log << "Click"; });
    point_to(*b, inside(*b));
    QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, b->mapTo(&form, inside(*b)));
    QVERIFY(b->isDown());
    QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, b->mapTo(&form, inside(*b)));
    QCOMPARE(log, QStringList({"pressed", "released", "Click", "clicked"}));
    QVERIFY(!b->isDown());
    // A press dragged off the button releases it, and back on presses it again, as in Qt.
    log.clear();
    QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, b->mapTo(&form, inside(*b)));
    point_to(*b, QPoint(-20, -20));
    point_to(*b, inside(*b));
    QCOMPARE(log, QStringList({"pressed", "released", "pressed"}));
    QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, b->mapTo(&form, inside(*b)));
    // A click aimed at the button counts where it is aimed, wherever the system pointer rests.
    log.clear();
    QCursor::setPos(QPoint(4000, 4000));
    QTest::mouseClick(b, Qt::LeftButton, {}, inside(*b));
    QCOMPARE(log, QStringList({"pressed", "released", "Click", "clicked"}));
    // Not on a corner the rounding cuts away: that belongs to the window behind.
    log.clear();
    QVERIFY(!b->mask().contains(QPoint(1, 1)));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(log.count("clicked"), 0);
  }

  void programmatic_clicks_go_through_the_control_once() {
    QWidget form;
    auto* b = new BotonWidget(&form);
    form.show();
    QStringList log;
    watch(b, log);
    EventLog events(*b);
    b->click();
    QCOMPARE(log, QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(events.lines, QStringList({"KeyDown 32 0", "Click", "KeyUp 32 0"}));
    // animateClick (shortcuts, mnemonics, accessibility's Press) holds the button down for a
    // moment first; what the control hears meanwhile does not release it a second time.
    log.clear();
    b->animateClick();
    // Sent at once, well before Qt's click comes.
    QMouseEvent move(QEvent::MouseMove, inside(*b), b->mapToGlobal(inside(*b)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(b, &move);
    QVERIFY(b->isDown());
    QTRY_COMPARE(log, QStringList({"pressed", "released", "clicked"}));
    QVERIFY(!b->isDown());
    QCOMPARE(events.lines.count("Click"), 2);
    b->setEnabled(false);
    b->click();
    QCOMPARE(events.lines.count("Click"), 2);
  }

  // Checkable buttons and button groups see the control's clicks (mouse, Space, the window's
  // Enter) as they see QAbstractButton's own: the check state changes first, and the group
  // reports the press, release and click of its button.
  void checkable_buttons_and_groups_hear_every_click() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* a = new BotonWidget("A");
    auto* b = new BotonWidget("B");
    layout->addWidget(a);
    layout->addWidget(b);
    QButtonGroup group;
    group.addButton(a, 1);
    group.addButton(b, 2);
    QStringList log;
    connect(&group, &QButtonGroup::idPressed,
            [&log](int id) { log << QString("pressed %1").arg(id); });
    connect(&group, &QButtonGroup::idReleased,
            [&log](int id) { log << QString("released %1").arg(id); });
    connect(&group, &QButtonGroup::idClicked,
            [&log](int id) { log << QString("clicked %1").arg(id); });
    connect(&group, &QButtonGroup::buttonClicked, [&log](QAbstractButton*) { log << "button"; });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto mouse_click = [&](BotonWidget* x) {
      const QPoint at = x->mapTo(&form, inside(*x));
      point_to(form, at);
      QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
      QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, at);
    };
    mouse_click(a);
    QCOMPARE(log, QStringList({"pressed 1", "released 1", "clicked 1", "button"}));
    log.clear();
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Space);
    QCOMPARE(log, QStringList({"pressed 2", "released 2", "clicked 2", "button"}));

    // Checkable: each click toggles, and clicked() carries the new state.
    a->setCheckable(true);
    QSignalSpy clicked(a, &QAbstractButton::clicked), toggled(a, &QAbstractButton::toggled);
    connect(a, &BotonWidget::Click, [&] { log << (a->isChecked() ? "Click on" : "Click off"); });
    group.setExclusive(false);
    log.clear();
    mouse_click(a);
    QVERIFY(a->isChecked());
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(clicked.last().at(0).toBool(), true);
    QVERIFY(log.contains("Click on"));  // the state changes before the control's Click
    mouse_click(a);
    QVERIFY(!a->isChecked());
    QCOMPARE(clicked.last().at(0).toBool(), false);
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Space);
    QVERIFY(a->isChecked());
    QCOMPARE(toggled.count(), 3);
    QCOMPARE(clicked.count(), 3);
    // The checked button of an exclusive group stays checked; another one takes the check.
    b->setCheckable(true);
    group.setExclusive(true);
    mouse_click(a);
    QVERIFY(a->isChecked());
    mouse_click(b);
    QVERIFY(b->isChecked() && !a->isChecked());
    // A slot of the group may delete the button: nothing is emitted for it afterwards.
    QSignalSpy a_clicked(a, &QAbstractButton::clicked);
    QPointer<BotonWidget> gone(a);
    connect(&group, &QButtonGroup::idPressed, a, [a](int id) {
      if (id == 1) delete a;
    });
    log.clear();
    mouse_click(a);
    QVERIFY(gone.isNull());
    QCOMPARE(log, QStringList({"pressed 1"}));
    QCOMPARE(a_clicked.count(), 0);
  }

  // QPushButton::setMenu opens the menu from pressed(); Qt lets the button up when it closes.
  // The pointer moved and let go over the button after that (the menu closed while the button
  // was held) does what it does on a QPushButton.
  void a_menu_opens_as_on_a_qpushbutton() {
    QWidget form;
    auto* b = new BotonWidget("Menu", &form);
    auto* plain = new QPushButton("Plain", &form);
    plain->move(0, 60);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QList<QList<int>> seen;
    for (QPushButton* button : {static_cast<QPushButton*>(b), plain}) {
      QMenu menu;
      menu.addAction("Uno");
      button->setMenu(&menu);
      int shown = 0;
      connect(&menu, &QMenu::aboutToShow, [&] {
        ++shown;
        QTimer::singleShot(50, &menu, &QMenu::close);
      });
      QSignalSpy pressed(button, &QPushButton::pressed);
      QSignalSpy clicked(button, &QPushButton::clicked);
      const QPoint at = button->mapTo(&form, inside(*button));
      point_to(form, at);
      QTest::mousePress(form.windowHandle(), Qt::LeftButton, {}, at);
      QCOMPARE(shown, 1);
      QTest::mouseMove(form.windowHandle(), at + QPoint(2, 0));
      QTest::mouseRelease(form.windowHandle(), Qt::LeftButton, {}, at + QPoint(2, 0));
      QTest::qWait(100);
      seen << QList<int>{shown, static_cast<int>(pressed.count()),
                         static_cast<int>(clicked.count())};
      button->setMenu(nullptr);
    }
    QCOMPARE(seen[0], seen[1]);
  }

  void text_is_the_caption() {
    BotonWidget b;
    QCOMPARE(b.text(), QString::fromUtf8("Bot\xC3\xB3n"));
    QSignalSpy changed(&b, &BotonWidget::propertyChanged);
    QPushButton& plain = b;
    plain.setText("Aceptar");  // QAbstractButton's own setter
    QCOMPARE(b.property("Caption").toString(), "Aceptar");
    QCOMPARE(changed.count(), 1);
    b.setProperty("Caption", "Cancelar");
    QCOMPARE(plain.text(), "Cancelar");
    BotonWidget named("Hola");
    QCOMPARE(named.text(), "Hola");
  }

  // QWidget::setToolTip is the control's ToolTipText, as setText is its Caption: the tip shows
  // over the caption, and clearing it clears it.
  void tool_tip_is_the_controls() {
    QWidget form;
    auto* b = new BotonWidget("Guardar", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto tip_over_caption = [b] {
      QToolTip::hideText();  // after a short delay
      if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); })) return QString("still shown");
      const QPoint at = Access::caption_rect(*b).center();
      QHelpEvent help(QEvent::ToolTip, at, b->mapToGlobal(at));
      QCoreApplication::sendEvent(b, &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QSignalSpy changed(b, &BotonWidget::propertyChanged);
    b->setToolTip("Guarda el archivo");
    QCOMPARE(b->ToolTipText(), "Guarda el archivo");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().at(0).toString(), "ToolTipText");
    QCOMPARE(tip_over_caption(), "Guarda el archivo");
    b->setToolTip(QString());
    QCOMPARE(b->ToolTipText(), QString());
    QCOMPARE(tip_over_caption(), QString());
    b->setToolTipText("Otra");
    QCOMPARE(b->toolTip(), "Otra");
    QCOMPARE(tip_over_caption(), "Otra");
    QToolTip::hideText();
  }

  void layouts_size_it_to_its_caption() {
    QWidget form;
    auto* layout = new QHBoxLayout(&form);
    auto* b = new BotonWidget("A caption that is rather long", &form);
    layout->addWidget(b);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect caption = Access::caption_rect(*b);
    QVERIFY2(b->minimumSizeHint().width() > caption.width(),
             qPrintable(QString::number(caption.width())));
    QVERIFY(b->sizeHint().width() >= b->minimumSizeHint().width());
    // The caption is whole: it starts and ends inside the button.
    QVERIFY(caption.left() > 0 && caption.right() < b->width());
    QVERIFY(caption.top() >= 0 && caption.bottom() < b->height());
    form.resize(10, 10);  // the layout keeps the minimum
    QTRY_VERIFY(b->width() >= b->minimumSizeHint().width());
    const QSize before = b->sizeHint();
    b->setProperty("Caption", "Ok");
    QVERIFY(b->sizeHint().width() < before.width());
  }

  void enter_and_escape_in_a_dialog() {
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* box = new QDialogButtonBox(&dialog);
    auto* ok = new BotonWidget("Aceptar");
    auto* cancel = new BotonWidget("Cancelar");
    auto* help = box->addButton(QDialogButtonBox::Help);
    box->addButton(ok, QDialogButtonBox::AcceptRole);
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(box);
    ok->setDefault(true);
    cancel->setCancel(true);
    connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QStringList ok_log, cancel_log;
    watch(ok, ok_log);
    watch(cancel, cancel_log);
    EventLog ok_events(*ok), cancel_events(*cancel);
    QSignalSpy accepted(&dialog, &QDialog::accepted), rejected(&dialog, &QDialog::rejected);
    auto reopen = [&] {
      dialog.show();
      dialog.activateWindow();
      return QTest::qWaitForWindowActive(&dialog);
    };
    QVERIFY(reopen());
    QVERIFY(ok->autoDefault());
    ok_events.lines.clear();
    cancel_events.lines.clear();

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(ok_events.lines, QStringList({"KeyDown 13 0", "Click", "KeyUp 13 0"}));
    QCOMPARE(ok_log.count("clicked"), 1);
    QCOMPARE(accepted.count(), 1);

    QVERIFY(reopen());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(cancel_events.lines, QStringList({"KeyDown 27 0", "Click", "KeyUp 27 0"}));
    QCOMPARE(rejected.count(), 1);

    // Escape with the focus on the default button works the cancel button only.
    QVERIFY(reopen());
    ok->setFocus();
    ok_events.lines.clear();
    cancel_events.lines.clear();
    QTest::keyClick(ok, Qt::Key_Escape);
    QCOMPARE(ok_events.lines, QStringList());
    QCOMPARE(cancel_events.lines.count("Click"), 1);
    QCOMPARE(rejected.count(), 2);

    // A focused plain button of the dialog becomes its default and takes Enter itself.
    QVERIFY(reopen());
    QStringList help_log;
    watch(help, help_log);
    help->setFocus();
    QVERIFY(!ok->isDefault());
    ok_events.lines.clear();
    QTest::keyClick(help, Qt::Key_Return);
    QCOMPARE(help_log.count("clicked"), 1);
    QCOMPARE(ok_events.lines, QStringList());
    // The focus leaving it gives the part back.
    edit->setFocus();
    QVERIFY(ok->isDefault());
  }

  void accessibility_sees_a_push_button() {
    QWidget form;
    auto* b = new BotonWidget("Aceptar", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
    QVERIFY(a);
    QCOMPARE(a->role(), QAccessible::PushButton);
    QCOMPARE(a->text(QAccessible::Name), "Aceptar");
    QVERIFY(a->state().focusable);
    QStringList log;
    watch(b, log);
    EventLog events(*b);
    QAccessibleActionInterface* act = a->actionInterface();
    QVERIFY(act && act->actionNames().contains(QAccessibleActionInterface::pressAction()));
    act->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(log.count("clicked"), 1);
    QTest::qWait(200);
    QCOMPARE(log.count("clicked"), 1);
    QCOMPARE(events.lines.count("Click"), 1);
    b->setFocus();
    QVERIFY(a->state().focused);
  }

  void themes_reach_the_face_and_caption() {
    QWidget form;
    auto* b = new BotonWidget("Tema", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage light = Access::face(*b);
    QPalette dark = form.palette();
    dark.setColor(QPalette::Button, QColor(40, 40, 48));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    form.setPalette(dark);
    const QColor centre = Access::face(*b).pixelColor(inside(*b));
    QVERIFY2(centre.lightness() < 100, qPrintable(centre.name()));
    QVERIFY(Access::face(*b) != light);
    QCOMPARE(Access::label(*b).colour(), QColor(230, 230, 230));

    // The caption follows the widget's font until the control's Font is set.
    QFont big = form.font();
    big.setPointSize(24);
    const int narrow = Access::caption_rect(*b).width();
    form.setFont(big);
    QVERIFY(Access::caption_rect(*b).width() > narrow);
    QCOMPARE(b->Font().pointSize(), 24);
    QFont chosen = big;
    chosen.setPointSize(10);
    b->set_Font(chosen);
    form.setFont(QFont(big.family(), 30));
    QCOMPARE(b->Font().pointSize(), 10);
  }

  // A theme change reaches only colours that the control resolved from the theme: one that comes
  // before the control is initialised leaves the design's colours as they are, and one after a
  // load leaves the colours the load handed over unresolved.
  void themes_resolve_only_the_controls_resolved_colours() {
    QWidget form;
    BotonWidget* b = Access::create(&form, nullptr, false);
    QPalette green = form.palette();
    green.setColor(QPalette::Button, QColor(0, 200, 0));
    form.setPalette(green);
    QCOMPARE(Access::surface(*b).back_color(), design::kBackColor);
    QVERIFY(Access::instance(*b).init().ok());
    QCOMPARE(b->BackColorOriginal(), design::kBackColor);
    QCOMPARE(b->BackColor(), 0x00C800);
    green.setColor(QPalette::Button, QColor(0, 0, 200));
    form.setPalette(green);
    QCOMPARE(b->BackColor(), 0xC80000);

    BotonWidget* loaded = Access::create(&form, nullptr, false);
    forms::Control entry;
    entry.name = "Loaded";
    entry.width = 1200;
    entry.height = 450;
    entry.properties = {{"BackColor", design::kBackColor}};
    QVERIFY(Access::load(*loaded, entry, "form").ok());
    QCOMPARE(loaded->BackColor(), design::kBackColor);
    form.setPalette(QPalette());
    QCOMPARE(loaded->BackColor(), design::kBackColor);
  }

  // A font sized in pixels has no point size; the caption must still show at that size, whether
  // it comes as the widget's font, from a style sheet or as the control's Font.
  void fonts_in_pixels_keep_their_size() {
    QFont big = QApplication::font();
    big.setPixelSize(40);
    const std::pair<const char*, std::function<void(BotonWidget&)>> ways[] = {
        {"setFont", [&](BotonWidget& b) { b.setFont(big); }},
        {"style sheet", [](BotonWidget& b) { b.setStyleSheet("* { font-size: 40px; }"); }},
        {"Font", [&](BotonWidget& b) { b.set_Font(big); }},
    };
    for (const auto& [how, give] : ways) {
      QWidget form;
      auto* b = new BotonWidget("Pixels", &form);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      const QSize small = b->sizeHint();
      give(*b);
      QVERIFY2(QFontInfo(b->Font()).pixelSize() == 40, how);
      QVERIFY2(Access::caption_rect(*b).height() >= 40, how);
      QVERIFY2(b->sizeHint().height() > small.height(), how);
    }
  }

  void a_disabled_ancestor_shows_the_disabled_look() {
    QWidget form;
    auto* panel = new QWidget(&form);
    auto* b = new BotonWidget("Panel", panel);
    b->setFocusPolicy(Qt::NoFocus);  // compare looks without the focus moving
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage enabled = Access::face(*b);
    const QColor caption = Access::label(*b).colour();
    panel->setEnabled(false);
    QVERIFY(Access::face(*b) != enabled);
    QVERIFY(Access::label(*b).colour() != caption);
    // The control's own setting is kept and saved as it was.
    const forms::Properties saved = Access::save(*b);
    for (const auto& [key, value] : saved) QVERIFY(key != "Enabled");
    panel->setEnabled(true);
    QCOMPARE(Access::face(*b), enabled);
    QCOMPARE(Access::label(*b).colour(), caption);
    // The button's own QWidget::setEnabled is the control's Enabled.
    b->setEnabled(false);
    QVERIFY(!b->Enabled());
    b->setEnabled(true);
    QVERIFY(b->Enabled());
  }

  // Showing a button set up while hidden leaves out the rebuild when the last one drew what is
  // there. Whatever happened to it since, what it shows must be what a full rebuild draws.
  void showing_shows_what_a_rebuild_draws() {
    struct Look {
      QImage face;
      QRect caption, picture;
      QRegion shape;
      std::vector<std::uint32_t> mask;
      bool operator==(const Look&) const = default;
    };
    auto look = [](BotonWidget& b) {
      const MaskRef m = Access::surface(b).mask_picture();
      return Look{
          Access::face(b), Access::caption_rect(b), Access::picture_rect(b), b.mask(),
          m ? std::vector<std::uint32_t>(m->picture()->pixels) : std::vector<std::uint32_t>{}};
    };
    const std::pair<const char*, std::function<void(BotonWidget&)>> since[] = {
        {"nothing", [](BotonWidget&) {}},
        // A key that does not press lights the control without drawing.
        {"a key", [](BotonWidget& b) { Access::instance(b).key_down(65, 0); }},
        {"a line on the face",
         [](BotonWidget& b) { Access::surface(b).line(0, 0, 2955, 855, 0x0000FF); }},
        {"a shape on the mask",
         [](BotonWidget& b) { Access::mask(b).fill_black(shape::rect_region(0, 0, 197, 57)); }},
        {"the caption measured anew",
         [](BotonWidget& b) {
           Access::label(b).pin_size(std::pair{1500.0f, 300.0f});
         }},
        {"a new size", [](BotonWidget& b) { b.resize(150, 40); }},
    };
    for (const auto& [what, change] : since) {
      QWidget form;
      auto* b = new BotonWidget(&form);
      b->setFocusPolicy(Qt::NoFocus);  // focus arriving at show would draw the face again
      b->setCaption("Hidden");
      change(*b);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      const Look shown = look(*b);
      b->CreaNuevaRegion();
      QVERIFY2(shown == look(*b), what);
    }
  }

  // Buttons of one size and shape share their mask; a button that takes another shape gets its
  // own, and the one the others show stays as it was.
  void like_buttons_share_one_mask() {
    QWidget form;
    BotonWidget* b[3];
    for (auto*& x : b) x = new BotonWidget("Like", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto mask = [](BotonWidget* x) { return Access::surface(*x).mask_picture(); };
    QCOMPARE(mask(b[1]).get(), mask(b[0]).get());
    QCOMPARE(mask(b[2]).get(), mask(b[0]).get());
    const MaskRef shared = mask(b[0]);
    const std::vector<std::uint32_t> before(shared->picture()->pixels);
    const QRegion shape = b[0]->mask();
    // Another round size, another size: each is drawn for its own button.
    b[1]->setRoundSize(40);
    b[2]->resize(120, 40);
    QVERIFY(mask(b[1]).get() != shared.get());
    QVERIFY(mask(b[2]).get() != shared.get());
    QCOMPARE(std::vector<std::uint32_t>(shared->picture()->pixels), before);
    QCOMPARE(mask(b[0]).get(), shared.get());
    QCOMPARE(b[0]->mask(), shape);
    QVERIFY(b[1]->mask() != shape);
    // Back to the shape the first one has: the mask it shows is handed over again.
    b[1]->setRoundSize(20);
    QCOMPARE(mask(b[1]).get(), shared.get());
    QCOMPARE(b[1]->mask(), shape);
    // Rebuilt alone, the first button makes its own mask; the shared one stays as it was.
    b[0]->setRoundSize(30);
    QCOMPARE(std::vector<std::uint32_t>(shared->picture()->pixels), before);
    QCOMPARE(mask(b[1]).get(), shared.get());
    // A watching tool sees each button's own mask drawn.
    struct Watch : host::Watcher {
      int masks = 0;
      void mask_set(const MaskRef&) override { ++masks; }
    } watch;
    Access::instance(*b[2]).watch(&watch);
    b[2]->resize(b[1]->size());
    QCOMPARE(watch.masks, 1);
    QCOMPARE(std::vector<std::uint32_t>(mask(b[2])->picture()->pixels), before);
    Access::instance(*b[2]).watch(nullptr);
  }

  // A mask is kept for other buttons only while some button shows it.
  void a_mask_no_button_shows_is_let_go() {
    std::weak_ptr<const MaskShape> gone;
    {
      QWidget form;
      auto* b = new BotonWidget("Alone", &form);
      b->resize(171, 43);
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      gone = Access::surface(*b).mask_picture();
      QVERIFY(!gone.expired());
    }
    QWidget form;
    new BotonWidget("Next", &form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(gone.expired());
  }

  void right_to_left_mirrors_caption_and_picture() {
    QWidget form;
    auto* b = new BotonWidget("Mirror", &form);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    b->setPicture(QPixmap::fromImage(icon));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect caption = Access::caption_rect(*b), picture = Access::picture_rect(*b);
    QVERIFY(picture.right() < caption.left());
    b->setLayoutDirection(Qt::RightToLeft);
    QCOMPARE(Access::caption_rect(*b).left(), b->width() - caption.right() - 1);
    QCOMPARE(Access::picture_rect(*b).left(), b->width() - picture.right() - 1);
    QVERIFY(Access::caption_rect(*b).right() < Access::picture_rect(*b).left());
    const QImage shot = b->grab().toImage();
    const QPoint p = Access::picture_rect(*b).center();
    QCOMPARE(shot.pixelColor(p), QColor(Qt::red));
  }
};

QTEST_MAIN(ButtonTest)
#include "button_test.moc"
