// Style sheet states and the icon, each next to a QPushButton or a button that shows the same
// look through the control's own properties: a rule's background for the button's state is the
// base of the control's shaded face, a rule's `color` the caption's; an icon sits where a picture
// of its size would.
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "brelund/design.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {
constexpr QSize kSize(197, 57);

// The face as the next paint leaves it.
QImage face_of(BotonWidget& b) {
  b.grab();
  return Access::face(b);
}

// A button of its own window, without any style sheet, of the same size and caption. The
// windows keep clear of each other and of the tested one, so that the pointer finds each.
struct Reference {
  QWidget window;
  BotonWidget* b;
  explicit Reference(int back_color = design::kBackColor) : b(new BotonWidget("Hola", &window)) {
    static int made = 0;
    const int n = made++ % 6;
    b->setFocusPolicy(Qt::NoFocus);
    b->resize(kSize);
    b->move(10, 10);
    b->setBackColor(back_color);
    window.resize(kSize + QSize(20, 20));
    window.move(300 + 250 * (n % 2), 170 * (n / 2));
    window.show();
  }
};

// The OLE colour (red in the low byte) of a QColor.
int ole(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

// Pixels of `c` within `in`, exactly or (with a tolerance) nearly, as a style's blended text.
int pixels_of(const QImage& img, const QRect& in, const QColor& c, int tolerance = 0) {
  int n = 0;
  for (int y = in.top(); y <= in.bottom(); ++y)
    for (int x = in.left(); x <= in.right(); ++x) {
      const QColor p = img.pixelColor(x, y);
      if (std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) +
              std::abs(p.blue() - c.blue()) <=
          tolerance)
        ++n;
    }
  return n;
}

QImage shot(QWidget& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QPixmap filled(QSize size, QColor c) {
  QPixmap p(size);
  p.fill(c);
  return p;
}
}  // namespace

class StatesTest : public QObject {
  Q_OBJECT

 private:
  // A window with a QPushButton and a BotonWidget of the same size, both checkable.
  struct Pair {
    QWidget window;
    QPushButton* q;
    BotonWidget* b;
    explicit Pair(const QString& sheet) {
      window.setStyleSheet(sheet);
      q = new QPushButton("Hola", &window);
      b = new BotonWidget("Hola", &window);
      for (QPushButton* x : {q, static_cast<QPushButton*>(b)}) {
        x->setFocusPolicy(Qt::NoFocus);
        x->setCheckable(true);
        x->resize(kSize);
      }
      q->move(10, 10);
      b->move(10, 80);
      window.resize(220, 150);
      window.show();
    }
  };

 private slots:
  void a_checked_rule_shades_the_face_from_its_colour() {
    const QColor green(0x80, 0xc0, 0x80);
    Pair pair("QPushButton:checked { background-color: #80c080; }");
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    Reference plain, checked(ole(green));
    checked.b->setCheckable(true);
    checked.b->setChecked(true);
    QVERIFY(QTest::qWaitForWindowExposed(&checked.window));
    const QImage q_off = shot(*pair.q);
    QCOMPARE(face_of(*pair.b), face_of(*plain.b));

    pair.q->setChecked(true);
    pair.b->setChecked(true);
    QVERIFY(shot(*pair.q) != q_off);
    QCOMPARE(face_of(*pair.b), face_of(*checked.b));
    // The rule colours the face; the control's colour stays what was set, and is what is saved.
    QCOMPARE(pair.b->BackColorOriginal(), design::kBackColor);
    const forms::Properties saved = Access::save(*pair.b);
    for (const auto& [key, value] : saved)
      if (key == "BackColor") QFAIL("the default BackColor is not saved");

    pair.q->setChecked(false);
    pair.b->setChecked(false);
    QCOMPARE(shot(*pair.q), q_off);
    QCOMPARE(face_of(*pair.b), face_of(*plain.b));
  }

  // Qt names a class in a namespace with its colons as dashes: the button's own type selector.
  void the_type_selector_reaches_only_our_button() {
    Pair pair("brelund--qt--BotonWidget:checked { background-color: #80c080; }");
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    Reference checked(ole(QColor(0x80, 0xc0, 0x80)));
    checked.b->setCheckable(true);
    checked.b->setChecked(true);
    pair.window.setStyleSheet(QString());
    QApplication::processEvents();
    pair.q->setChecked(true);
    const QImage q_plain = shot(*pair.q);
    pair.window.setStyleSheet("brelund--qt--BotonWidget:checked { background-color: #80c080; }");
    QApplication::processEvents();
    QCOMPARE(shot(*pair.q), q_plain);
    pair.b->setChecked(true);
    QCOMPARE(face_of(*pair.b), face_of(*checked.b));
  }

  // A rule wins over BackColor while it applies; BackColor shows again when it does not.
  void a_rule_wins_over_back_color_while_it_applies() {
    Pair pair("QPushButton:checked { background-color: #80c080; }");
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    pair.b->setBackColor(0x0000FF);
    Reference red(0x0000FF), checked(ole(QColor(0x80, 0xc0, 0x80)));
    checked.b->setCheckable(true);
    checked.b->setChecked(true);
    QCOMPARE(face_of(*pair.b), face_of(*red.b));
    pair.b->setChecked(true);
    QCOMPARE(face_of(*pair.b), face_of(*checked.b));
    QCOMPARE(pair.b->BackColor(), 0x0000FF);
    pair.b->setChecked(false);
    QCOMPARE(face_of(*pair.b), face_of(*red.b));

    // A rule for every state wins always, until the sheet goes.
    pair.window.setStyleSheet("QPushButton { background-color: #123456; }");
    QApplication::processEvents();
    Reference blue(ole(QColor(0x12, 0x34, 0x56)));
    QCOMPARE(face_of(*pair.b), face_of(*blue.b));
    pair.window.setStyleSheet(QString());
    QApplication::processEvents();
    QCOMPARE(face_of(*pair.b), face_of(*red.b));
  }

  void a_disabled_rule_colours_face_and_caption() {
    const QColor slate(0x30, 0x40, 0x50), ink(0xe0, 0xe0, 0xa0);
    Pair pair{QString()};
    const QString sheet = "QPushButton:disabled { background-color: #304050; color: #e0e0a0; }";
    pair.q->setStyleSheet(sheet);
    pair.b->setStyleSheet(sheet);
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    Reference disabled(ole(slate));
    disabled.b->setEnabled(false);
    const QRect caption = Access::caption_rect(*pair.b);
    QCOMPARE(pixels_of(shot(*pair.b), caption, ink), 0);
    QCOMPARE(pixels_of(shot(*pair.q), pair.q->rect(), ink, 64), 0);

    pair.q->setEnabled(false);
    pair.b->setEnabled(false);
    // The QPushButton's style blends its disabled text into the face: nearly the rule's colour.
    QVERIFY(pixels_of(shot(*pair.q), pair.q->rect(), ink, 64) > 0);
    QCOMPARE(face_of(*pair.b), face_of(*disabled.b));
    QVERIFY(pixels_of(shot(*pair.b), caption, ink) > 0);
    // The reference's caption is the painter's disabled colour, not the rule's.
    QCOMPARE(pixels_of(shot(*disabled.b), Access::caption_rect(*disabled.b), ink), 0);
    for (const auto& [key, value] : Access::save(*pair.b))
      if (key == "ForeColor" || key == "BackColor") QFAIL("the default colours are not saved");

    pair.b->setEnabled(true);
    QCOMPARE(pixels_of(shot(*pair.b), caption, ink), 0);
    Reference plain;
    QCOMPARE(face_of(*pair.b), face_of(*plain.b));
  }

  // A `color` rule for every state wins over ForeColor; ForeColor is drawn again without it.
  void a_color_rule_wins_over_fore_color() {
    Pair pair{QString()};
    QVERIFY(QTest::qWaitForWindowExposed(&pair.window));
    pair.b->setForeColor(0x00FF00);
    const QRect caption = Access::caption_rect(*pair.b);
    QVERIFY(pixels_of(shot(*pair.b), caption, QColor(0, 255, 0)) > 0);
    pair.b->setStyleSheet("* { color: #ff00ff; }");
    QApplication::processEvents();
    QVERIFY(pixels_of(shot(*pair.b), caption, QColor(255, 0, 255)) > 0);
    QCOMPARE(pixels_of(shot(*pair.b), caption, QColor(0, 255, 0)), 0);
    QCOMPARE(pair.b->ForeColor(), 0x00FF00);
    pair.b->setStyleSheet(QString());
    QApplication::processEvents();
    QVERIFY(pixels_of(shot(*pair.b), caption, QColor(0, 255, 0)) > 0);
  }

  // Held by the mouse, under a parent's sheet: the control's own pressed face, of the rule's
  // colour; the QPushButton's face changes as well.
  void a_pressed_rule_follows_the_mouse() {
    const QColor brick(0xa0, 0x40, 0x40);
    QWidget window;
    auto* panel = new QWidget(&window);
    panel->setStyleSheet("QPushButton:pressed { background-color: #a04040; }");
    auto* q = new QPushButton("Hola", panel);
    auto* b = new BotonWidget("Hola", panel);
    for (QPushButton* x : {q, static_cast<QPushButton*>(b)}) {
      x->setFocusPolicy(Qt::NoFocus);
      x->resize(kSize);
    }
    q->move(10, 10);
    b->move(10, 80);
    panel->resize(220, 150);
    window.resize(220, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    Reference pressed(ole(brick)), plain;
    QVERIFY(QTest::qWaitForWindowExposed(&pressed.window));
    const QPoint at(20, kSize.height() / 2);
    QTest::mousePress(pressed.b, Qt::LeftButton, {}, at);
    const QImage want = face_of(*pressed.b);
    QTest::mouseRelease(pressed.b, Qt::LeftButton, {}, at);
    // A press lights the button, and it stays lit after the release.
    const QImage plain_up = face_of(*plain.b);
    QTest::mousePress(plain.b, Qt::LeftButton, {}, at);
    QTest::mouseRelease(plain.b, Qt::LeftButton, {}, at);
    const QImage plain_after = face_of(*plain.b);

    const QImage q_up = shot(*q);
    QTest::mousePress(q, Qt::LeftButton, {}, at);
    QVERIFY(shot(*q) != q_up);
    QTest::mouseRelease(q, Qt::LeftButton, {}, at);

    QCOMPARE(face_of(*b), plain_up);
    QTest::mousePress(b, Qt::LeftButton, {}, at);
    QVERIFY(b->isDown());
    QCOMPARE(face_of(*b), want);
    QTest::mouseRelease(b, Qt::LeftButton, {}, at);
    QCOMPARE(face_of(*b), plain_after);
  }

  // The application's sheet, a rule for one button by name, while the pointer is over it.
  void a_hover_rule_of_the_application_lights_the_named_button() {
    QWidget window;
    auto* b = new BotonWidget("Hola", &window);
    auto* other = new BotonWidget("Hola", &window);
    b->setObjectName("hot");
    for (BotonWidget* x : {b, other}) {
      x->setFocusPolicy(Qt::NoFocus);
      x->resize(kSize);
    }
    b->move(10, 10);
    other->move(10, 80);
    window.resize(220, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    qApp->setStyleSheet("QPushButton#hot:hover { background-color: #2080ff; }");
    QApplication::processEvents();
    Reference plain, blue(ole(QColor(0x20, 0x80, 0xff)));
    QVERIFY(QTest::qWaitForWindowExposed(&blue.window));
    point_to(*blue.b, QPoint(20, 20));
    QVERIFY(blue.b->underMouse());
    const QImage lit_blue = face_of(*blue.b);
    point_to(*plain.b, QPoint(20, 20));
    const QImage lit_plain = face_of(*plain.b);
    point_to(*plain.b, QPoint(-40, -40));

    QCOMPARE(face_of(*b), face_of(*other));
    point_to(*b, QPoint(20, 20));
    QVERIFY(b->underMouse());
    QCOMPARE(face_of(*b), lit_blue);
    point_to(*other, QPoint(20, 20));
    QCOMPARE(face_of(*other), lit_plain);
    qApp->setStyleSheet(QString());
  }

  // The icon where a picture of its size would be, at iconSize or its own smaller size; the
  // control's Picture stays empty and is not saved.
  void an_icon_takes_the_place_of_a_picture_of_its_size() {
    for (const QSize& icon_size : {QSize(24, 24), QSize(16, 16), QSize(48, 48)}) {
      QWidget window;
      auto* b = new BotonWidget("Hola", &window);
      b->resize(kSize);
      window.resize(kSize);
      window.show();
      QVERIFY(QTest::qWaitForWindowExposed(&window));
      const QRect caption_alone = Access::caption_rect(*b);
      b->setIconSize(icon_size);
      b->setIcon(QIcon(filled(QSize(24, 24), Qt::red)));
      // A smaller icon is not blown up: a 48-pixel iconSize shows the 24-pixel icon as it is.
      const QSize shown = icon_size.boundedTo(QSize(24, 24));
      Reference pictured;
      pictured.b->setPicture(filled(shown, Qt::red));
      pictured.b->resize(kSize);
      QCOMPARE(Access::picture_rect(*b), Access::picture_rect(*pictured.b));
      QCOMPARE(Access::caption_rect(*b), Access::caption_rect(*pictured.b));
      QVERIFY(Access::caption_rect(*b) != caption_alone);
      QVERIFY(b->Picture().isNull());
      for (const auto& [key, value] : Access::save(*b)) QVERIFY(key != "Picture");
      const QImage img = shot(*b);
      QCOMPARE(pixels_of(img, Access::picture_rect(*b), Qt::red), shown.width() * shown.height());
      QVERIFY(b->sizeHint().width() >= pictured.b->sizeHint().width());
    }
  }

  void the_icon_moves_with_the_press_and_greys_when_disabled() {
    QWidget window;
    auto* b = new BotonWidget("Hola", &window);
    b->setFocusPolicy(Qt::NoFocus);
    b->resize(kSize);
    window.resize(kSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QIcon icon(filled(QSize(16, 16), QColor(0, 0, 255)));
    b->setIcon(icon);
    const QRect rest = Access::picture_rect(*b);
    QVERIFY(!rest.isEmpty());
    // The control keeps its content at rest on the press, and moves it while the held pointer
    // moves over the button; a picture would move so.
    const QPoint at(10, kSize.height() / 2);
    QTest::mousePress(b, Qt::LeftButton, {}, at);
    QCOMPARE(Access::picture_rect(*b), rest);
    QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(1, 0)),
                     b->mapToGlobal(at + QPoint(1, 0)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(b, &move);
    QCOMPARE(Access::picture_rect(*b), rest.translated(1, 1));
    QTest::mouseRelease(b, Qt::LeftButton, {}, at);
    QCOMPARE(Access::picture_rect(*b), rest);
    b->setCheckable(true);
    b->setChecked(true);
    b->grab();
    QCOMPARE(Access::picture_rect(*b), rest.translated(1, 1));
    b->setChecked(false);

    b->setEnabled(false);
    const QColor grey = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage().pixelColor(8, 8);
    QVERIFY(grey != QColor(0, 0, 255));
    QCOMPARE(shot(*b).pixelColor(rest.center()), grey);
    b->setEnabled(true);
    QCOMPARE(shot(*b).pixelColor(rest.center()), QColor(0, 0, 255));

    // A Picture wins; without it the icon comes back.
    b->setPicture(filled(QSize(10, 10), Qt::green));
    QCOMPARE(Access::picture_rect(*b).size(), QSize(10, 10));
    QCOMPARE(shot(*b).pixelColor(Access::picture_rect(*b).center()), QColor(Qt::green));
    b->setPicture(QPixmap());
    QCOMPARE(Access::picture_rect(*b), rest);
    // No icon: the caption alone, centred.
    b->setIcon(QIcon());
    QVERIFY(Access::picture_rect(*b).isEmpty());
  }

  // An icon set through QAbstractButton (not the widget's own setIcon) shows from the next paint.
  void an_icon_set_through_the_base_class_shows_when_painted() {
    QWidget window;
    auto* b = new BotonWidget("Hola", &window);
    b->resize(kSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    static_cast<QAbstractButton*>(b)->setIcon(QIcon(filled(QSize(16, 16), Qt::red)));
    const QImage img = shot(*b);
    QCOMPARE(Access::picture_rect(*b).size(), QSize(16, 16));
    QCOMPARE(img.pixelColor(Access::picture_rect(*b).center()), QColor(Qt::red));
  }
};

QTEST_MAIN(StatesTest)
#include "states_test.moc"
