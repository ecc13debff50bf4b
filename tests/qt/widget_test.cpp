// BotonWidget on the offscreen platform, driven like a user would: the pointer through the
// platform (so Qt picks the widget under it, honours the mask and grabs the pointer during a
// press), keys and focus through the window.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>

#include "brelund/qt/form_window.h"
#include "brelund/units.h"
#include "host/common/mask_image.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_values.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

class WidgetTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<FormWindow> form_;
  BotonWidget* b_ = nullptr;
  QLineEdit* edit_ = nullptr;
  std::unique_ptr<EventLog> log_;
  LookLog looks_;

  // Left of the caption, clear of the rounded corners: the surface itself.
  QPoint centre() const { return QPoint(15, b_->height() / 2); }
  QPoint outside() const { return QPoint(-30, -30); }  // on the form, left of and above the button
  QPoint on_form(QPoint p) const { return b_->mapTo(form_.get(), p); }
  void press(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    point_to(*b_, p);
    QTest::mousePress(form_->windowHandle(), button, {}, on_form(p));
  }
  void release(QPoint p, Qt::MouseButton button = Qt::LeftButton) {
    point_to(*b_, p);
    QTest::mouseRelease(form_->windowHandle(), button, {}, on_form(p));
  }
  BotonFields fields() { return Access::control(*b_).fields(); }

 private slots:
  void init() {
    form_ = std::make_unique<FormWindow>();
    b_ = form_->addButton("B", 600, 600);
    edit_ = new QLineEdit(form_.get());
    edit_->setGeometry(10, 300, 100, 20);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    edit_->setFocus();
    point_to(*form_, QPoint(5, 5));
    log_ = std::make_unique<EventLog>(*b_);
    Access::instance(*b_).watch(&looks_);
    looks_.looks.clear();
  }
  void cleanup() {
    log_.reset();
    form_.reset();
  }

  void click_without_moving() {
    press(centre());
    QCOMPARE(looks_.last(), "11");
    QVERIFY(fields().m_Pressed);
    release(centre());
    QCOMPARE(log_->without_moves(),
             QStringList({"MouseDown 1 0 225 420", "Click", "MouseUp 1 0 225 420"}));
    QCOMPARE(looks_.last(), "10");
    QVERIFY(fields().m_Highlighted && !fields().m_Pressed);
  }

  void drag_out_and_back_in_then_release_inside() {
    press(centre());
    point_to(*b_, outside());
    QCOMPARE(looks_.last(), "00");
    QVERIFY(!fields().m_Highlighted && !fields().m_Pressed);
    QVERIFY2(log_->lines.last().startsWith("MouseMove 1 0 -"), qPrintable(log_->lines.join('|')));
    point_to(*b_, centre());
    QCOMPARE(looks_.last(), "11");
    QVERIFY(fields().m_Highlighted && fields().m_Pressed);
    release(centre());
    QCOMPARE(log_->without_moves().count("Click"), 1);
  }

  void release_outside_raises_no_click() {
    press(centre());
    release(outside());
    QCOMPARE(log_->without_moves(),
             QStringList({"MouseDown 1 0 225 420", "MouseUp 1 0 -450 -450"}));
    QCOMPARE(looks_.last(), "00");
    QVERIFY(!fields().m_Pressed);
  }

  void corner_belongs_to_the_window_behind() {
    // The top-left pixel is cut away by the default rounding: the form gets the press.
    press(QPoint(0, 0));
    release(QPoint(0, 0));
    QCOMPARE(log_->without_moves(), QStringList());
    QVERIFY(!Access::hover_timer_active(*b_));
  }

  void caption_reports_its_own_coordinates_and_clicks() {
    const QPoint p = Access::caption_rect(*b_).topLeft() + QPoint(2, 3);
    press(p);
    release(p);
    QCOMPARE(log_->without_moves(),
             QStringList({"MouseDown 1 0 30 45", "Click", "MouseUp 1 0 30 45"}));
  }

  void right_button_neither_presses_nor_clicks() {
    press(centre(), Qt::RightButton);
    release(centre(), Qt::RightButton);
    QCOMPARE(log_->without_moves(), QStringList({"MouseDown 2 0 225 420", "MouseUp 2 0 225 420"}));
    QVERIFY(!fields().m_Pressed);
    QVERIFY(!looks_.looks.contains("11"));
  }

  void slot_change_to_an_argument_reaches_the_control() {
    log_->on_mouse_down = [](short& button, short&, float&, float&) { button = 0; };
    press(centre());
    QVERIFY(!fields().m_Pressed);
    QVERIFY(!looks_.looks.contains("11"));
    QCOMPARE(log_->without_moves().first(), "MouseDown 0 0 225 420");
    release(centre());
    QCOMPARE(log_->without_moves().last(), "MouseUp 1 0 225 420");
  }

  void space_presses_and_releases_a_focused_button() {
    b_->setFocus();
    QVERIFY(fields().m_Highlighted);
    QTest::keyPress(b_, Qt::Key_Space);
    QVERIFY(fields().m_Pressed);
    QCOMPARE(looks_.last(), "11");
    // Held down: the platform repeats the press, and its repeated releases are not releases.
    for (int i = 0; i < 3; ++i) {
      QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
      QApplication::sendEvent(b_, &up);
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
      QApplication::sendEvent(b_, &down);
    }
    QTest::keyRelease(b_, Qt::Key_Space);
    QCOMPARE(log_->lines.count("KeyDown 32 0"), 4);
    QCOMPARE(log_->lines.count("Click"), 1);
    QCOMPARE(log_->lines.mid(log_->lines.size() - 2), QStringList({"Click", "KeyUp 32 0"}));
    QVERIFY(!fields().m_Pressed && fields().m_Highlighted);
  }

  void enter_on_the_focused_default_button_presses_it() {
    form_->setDefaultButton(b_);
    b_->setFocus();
    QStringList heard;
    connect(b_, &QPushButton::pressed, b_, [&] { heard << "pressed"; });
    connect(b_, &QPushButton::released, b_, [&] { heard << "released"; });
    connect(b_, &QPushButton::clicked, b_, [&] { heard << "clicked"; });
    // As a QPushButton's, the click comes with the press; the release is nobody's.
    QTest::keyPress(b_, Qt::Key_Return);
    QVERIFY(!fields().m_Pressed);
    QCOMPARE(heard, QStringList({"pressed", "released", "clicked"}));
    QCOMPARE(log_->lines, QStringList({"KeyDown 13 0", "KeyPress 13", "Click", "KeyUp 13 0"}));
    QTest::keyRelease(b_, Qt::Key_Return);
    QCOMPARE(heard.size(), 3);
    QCOMPARE(log_->lines.size(), 4);
    b_->disconnect(b_);
  }

  // As with QPushButton, Enter reaches a focused button only when it is default or autoDefault;
  // otherwise it goes on to the window, and the button neither sees nor clicks.
  void enter_on_a_focused_button_that_is_neither_default_nor_auto_default_goes_on() {
    QPushButton qt_button("Qt", form_.get());
    qt_button.show();
    QSignalSpy qt_clicks(&qt_button, &QPushButton::clicked);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{b_, &qt_button}) {
      b->setFocus();
      QTest::keyClick(b, Qt::Key_Return);
    }
    QCOMPARE(qt_clicks.count(), 0);
    QCOMPARE(log_->lines, QStringList());
    b_->setAutoDefault(true);
    qt_button.setAutoDefault(true);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{b_, &qt_button}) {
      b->setFocus();
      QTest::keyClick(b, Qt::Key_Return);
    }
    QCOMPARE(qt_clicks.count(), 1);
    QCOMPARE(log_->lines, QStringList({"KeyDown 13 0", "KeyPress 13", "Click", "KeyUp 13 0"}));
  }

  void enter_and_escape_elsewhere_work_the_default_and_cancel_buttons() {
    BotonWidget* other = form_->addButton("C", 600, 2000);
    EventLog other_log(*other);
    form_->setDefaultButton(b_);
    form_->setCancelButton(other);
    edit_->setFocus();
    QTest::keyClick(edit_, Qt::Key_Return);
    QCOMPARE(log_->lines, QStringList({"KeyDown 13 0", "Click", "KeyUp 13 0"}));
    QTest::keyClick(edit_, Qt::Key_Escape);
    QCOMPARE(other_log.lines, QStringList({"KeyDown 27 0", "Click", "KeyUp 27 0"}));
    QCOMPARE(log_->lines.size(), 3);
    // One default button per form: naming another takes the part away.
    form_->setDefaultButton(other);
    QVERIFY(!b_->isDefault());
  }

  // A key left to the window whose release went elsewhere (the focus moved on meanwhile) is
  // forgotten: the next press of that key on this button is the button's own.
  void a_key_left_to_the_window_is_forgotten_when_the_focus_goes() {
    BotonWidget* other = form_->addButton("C", 600, 2000);
    EventLog other_log(*other);
    form_->setDefaultButton(other);
    b_->setFocus();
    QTest::keyPress(b_, Qt::Key_Return);
    QCOMPARE(other_log.lines.count("Click"), 1);
    edit_->setFocus();
    QTest::keyRelease(edit_, Qt::Key_Return);
    form_->setDefaultButton(nullptr);
    b_->setAutoDefault(true);
    b_->setFocus();
    QTest::keyClick(b_, Qt::Key_Return);
    QCOMPARE(log_->lines, QStringList({"KeyDown 13 0", "KeyPress 13", "Click", "KeyUp 13 0"}));
  }

  void escape_on_the_focused_cancel_button_presses_it() {
    form_->setCancelButton(b_);
    b_->setFocus();
    QTest::keyPress(b_, Qt::Key_Escape);
    QVERIFY(fields().m_Pressed);
    QCOMPARE(looks_.last(), "11");
    QTest::keyRelease(b_, Qt::Key_Escape);
    QCOMPARE(log_->lines.count("Click"), 1);
  }

  void focus_lights_and_leaving_unlights() {
    b_->setFocus();
    QVERIFY(fields().m_Highlighted);
    QCOMPARE(looks_.looks, QStringList({"10", "10"}));
    edit_->setFocus();
    QVERIFY(!fields().m_Highlighted);
    QCOMPARE(looks_.looks, QStringList({"10", "10", "00", "00"}));
  }

  void hover_lights_and_goes_within_two_timer_periods() {
    const QImage unlit = Access::face(*b_);
    point_to(*b_, centre());
    QVERIFY2(Access::hover_timer_active(*b_), qPrintable(log_->lines.join('|')));
    QCOMPARE(looks_.looks, QStringList({"10"}));
    QVERIFY(Access::face(*b_) != unlit);
    // Moving on the caption is still over the control: nothing more is painted.
    point_to(*b_, Access::caption_rect(*b_).center());
    QTest::qWait(250);
    QVERIFY(Access::hover_timer_active(*b_));
    QCOMPARE(looks_.looks.size(), 1);
    point_to(*form_, QPoint(5, 5));
    const int period = Access::control(*b_).services().timer.interval();
    QTRY_VERIFY_WITH_TIMEOUT(!Access::hover_timer_active(*b_), 2 * period + 400);
    QCOMPARE(looks_.looks, QStringList({"10", "00"}));
    QCOMPARE(Access::face(*b_), unlit);
  }

  void property_changes_repaint_at_once() {
    const QImage before = b_->grab().toImage();
    QVERIFY(b_->setProperty("BackColor", 0x0000C0));
    const QImage after = b_->grab().toImage();
    const QColor c = after.pixelColor(centre());
    QVERIFY2(c.red() > 100 && c.green() < 60 && c.blue() < 60, qPrintable(c.name()));
    QVERIFY(after != before);
    QCOMPARE(b_->property("BackColor").toInt(), 0x0000C0);

    const QRegion rounded = b_->mask();
    QVERIFY(b_->setProperty("RoundSize", 50));
    QVERIFY(b_->mask() != rounded);
    QVERIFY(!b_->mask().contains(QPoint(3, 3)));
    QVERIFY(b_->setProperty("CreateRegion", false));
    QVERIFY(b_->mask().contains(QPoint(0, 0)));

    const int narrow = Access::caption_rect(*b_).width();
    QVERIFY(b_->setProperty("Caption", "A much longer caption"));
    QVERIFY(Access::caption_rect(*b_).width() > narrow);
    QCOMPARE(b_->property("Caption").toString(), "A much longer caption");
  }

  void failures_become_the_error_signal() {
    QVERIFY(b_->setProperty("MousePointer", 42));
    QVERIFY(b_->setProperty("MousePointer", 70000));
    QCOMPARE(log_->lines, QStringList({"error 380 Invalid property value", "error 6 Overflow"}));
    QCOMPARE(b_->property("MousePointer").toInt(), 0);
  }

  void disabled_button_ignores_the_pointer_and_access_keys() {
    b_->setProperty("Enabled", false);
    QVERIFY(!b_->isEnabled());
    press(centre());
    release(centre());
    Access::access_key(*b_, 13);
    QCOMPARE(log_->without_moves(), QStringList());
  }

  // The shape is built from rectangles merged across rows; it must hold exactly the pixels that
  // are not white, for the rounded masks the control makes and for ragged ones with holes.
  void shape_region_holds_exactly_the_masks_dark_pixels() {
    auto check = [](const MaskShape& mask) {
      const QRegion region = mask_region(mask);
      const PictureRef picture = mask.picture();
      for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
          const std::uint32_t p = picture->pixels[static_cast<std::size_t>(y) * mask.width() + x];
          const bool dark = (p & 0xFFFFFFu) != 0xFFFFFFu;
          if (region.contains(QPoint(x, y)) != dark)
            return QString("pixel %1,%2 of %3x%4")
                .arg(x)
                .arg(y)
                .arg(mask.width())
                .arg(mask.height());
        }
      return QString();
    };
    for (int round : {0, 3, 20, 57, 400}) {
      b_->setRoundSize(round);
      QCOMPARE(check(*Access::surface(*b_).mask_picture()), QString());
    }
    Picture ragged;
    ragged.width = 23;
    ragged.height = 17;
    std::uint32_t seed = 5;
    for (int i = 0; i < ragged.width * ragged.height; ++i) {
      seed = seed * 1103515245u + 12345u;
      // Runs of equal rows now and then, so that merging is exercised, and isolated pixels.
      const int row = i / ragged.width;
      ragged.pixels.push_back(row % 4 == 1
                                  ? ragged.pixels[static_cast<std::size_t>(i - ragged.width)]
                              : (seed >> 16) % 3 ? 0xFF000000u
                                                 : 0xFFFFFFFFu);
    }
    ragged.handle = new_picture_handle();
    QCOMPARE(check(*MaskShape::of_picture(ragged)), QString());
  }

  // A shape kept from an earlier rebuild is used again: either way the window's shape is the
  // mask's runs, through resizes, new round sizes and back to earlier ones.
  void window_shape_follows_the_mask() {
    auto expected = [&] {
      const MaskRef& mask = Access::surface(*b_).mask_picture();
      if (!mask || mask->handle() == 0) return QRegion();  // no image: no mask
      const QRegion dark = mask_region(*mask);
      return dark.isEmpty() ? QRegion(-1, -1, 1, 1) : dark;
    };
    struct Step {
      int w, h, round;
      bool shaped;
    };
    const Step steps[] = {{197, 57, 20, true}, {180, 50, 20, true}, {197, 57, 20, true},
                          {90, 33, 57, true},  {90, 33, 0, true},   {90, 33, 400, true},
                          {1, 1, 20, true},    {2, 9, 20, true},    {0, 12, 20, true},
                          {90, 33, 20, false}, {90, 33, 20, true},  {197, 57, 20, true}};
    for (const Step& s : steps) {
      b_->setRoundSize(s.round);
      b_->setCreateRegion(s.shaped);
      b_->resize(s.w, s.h);
      const QString at =
          QString("%1x%2 round %3 shaped %4").arg(s.w).arg(s.h).arg(s.round).arg(s.shaped);
      QVERIFY2(b_->mask() == expected(), qPrintable(at));
      // The widget draws the face as premultiplied pixels, which it may only while every pixel
      // of it is opaque.
      const Raster& face = Access::surface(*b_).pixels();
      QVERIFY2(std::all_of(face.pixels.begin(), face.pixels.end(),
                           [](std::uint32_t p) { return (p >> 24) == 0xFF; }),
               qPrintable(at));
      // A rebuild that keeps the shape keeps Qt's mask as it is.
      const QRegion before = b_->mask();
      b_->setCaption(at);
      QVERIFY2(b_->mask() == before && b_->mask() == expected(), qPrintable(at));
    }
  }

  // The window shape of a mask filled with any shape, reaching past the image, inverted or
  // degenerate, holds the dark pixels of its picture and nothing else.
  void shape_of_any_filled_mask_is_its_dark_pixels() {
    std::uint32_t seed = 11;
    auto next = [&](int lo, int hi) {
      seed = seed * 1103515245u + 12345u;
      return lo + static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(hi - lo + 1));
    };
    for (int i = 0; i < 400; ++i) {
      const int w = next(0, 40), h = next(0, 30);
      const shape::Region shape =
          i % 5 == 0 ? shape::rect_region(next(-5, 45), next(-5, 35), next(-5, 45), next(-5, 35))
                     : shape::round_rect_region(next(-5, 45), next(-5, 35), next(-5, 45),
                                                next(-5, 35), next(-12, 60), next(-12, 60));
      MaskImage image;
      image.set_width(units::twips_of_pixels(w));
      image.set_height(units::twips_of_pixels(h));
      image.clear();
      image.fill_black(shape);
      const MaskRef mask = image.image();
      const PictureRef picture = mask->picture();
      const QRegion region = mask_region(*mask);
      const QString at = QString("shape %1: %2,%3-%4,%5 ellipse %6x%7 in %8x%9")
                             .arg(i)
                             .arg(shape.left)
                             .arg(shape.top)
                             .arg(shape.right)
                             .arg(shape.bottom)
                             .arg(shape.ellipse_width)
                             .arg(shape.ellipse_height)
                             .arg(w)
                             .arg(h);
      QVERIFY2(region.boundingRect().left() >= 0 && region.boundingRect().top() >= 0 &&
                   (region.isEmpty() ||
                    (region.boundingRect().right() < w && region.boundingRect().bottom() < h)),
               qPrintable(at));
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const bool dark = picture->pixels[static_cast<std::size_t>(y) * w + x] == 0xFF000000u;
          QVERIFY2(region.contains(QPoint(x, y)) == dark,
                   qPrintable(at + QString(" pixel %1,%2").arg(x).arg(y)));
        }
    }
  }

  // One filter on a window serves all of its buttons' Enter and Escape: it finds the button a
  // key belongs to as buttons come and go, move to another window, and after the last one left.
  void the_window_keys_follow_buttons_that_come_and_go() {
    QWidget window, elsewhere;
    auto* edit = new QLineEdit(&window);
    auto* field = new QLineEdit(&elsewhere);
    std::vector<BotonWidget*> buttons;
    for (int i = 0; i < 6; ++i) {
      buttons.push_back(new BotonWidget(QString("B%1").arg(i), &window));
      buttons.back()->move(0, 30 + 60 * i);
    }
    window.show();
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
    std::vector<std::unique_ptr<EventLog>> logs;
    for (BotonWidget* b : buttons) logs.push_back(std::make_unique<EventLog>(*b));
    auto clicks = [&](int i) { return logs[static_cast<std::size_t>(i)]->lines.count("Click"); };
    auto all_clicks = [&] {
      qsizetype n = 0;
      for (const auto& log : logs)
        if (log) n += log->lines.count("Click");
      return n;
    };
    buttons[1]->setDefault(true);
    buttons[4]->setCancel(true);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(clicks(1), 1);
    QCOMPARE(clicks(4), 1);
    QCOMPARE(clicks(0) + clicks(2) + clicks(3) + clicks(5), 0);

    // The default button goes: Enter reaches the window, and no button.
    logs[1].reset();
    delete buttons[1];
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(all_clicks(), 1);  // the cancel button's, from before

    // The cancel button moves to another window: Escape works it there, and no longer here.
    buttons[4]->setParent(&elsewhere);
    buttons[4]->show();
    QTest::keyClick(edit, Qt::Key_Escape);
    QCOMPARE(clicks(4), 1);
    QTest::keyClick(field, Qt::Key_Escape);
    QCOMPARE(clicks(4), 2);

    // Another default, then every button of the window goes; its keys still reach it safely,
    // and a new button is served again.
    buttons[3]->setDefault(true);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(clicks(3), 1);
    for (int i : {0, 2, 3, 5}) {
      logs[static_cast<std::size_t>(i)].reset();
      delete buttons[static_cast<std::size_t>(i)];
    }
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
    auto* last = new BotonWidget("L", &window);
    last->show();
    EventLog last_log(*last);
    last->setDefault(true);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(last_log.lines.count("Click"), 1);
    QCOMPARE(clicks(4), 2);
  }

  // What a button seldom needs is made when first asked for: the pinned system colours, the
  // picture's images, the keys left to the window. Each answers as it did before it was made and
  // after it is let go.
  void pinnedSystemColourAnswersUntilCleared() {
    Platform& platform = Access::platform(*b_);
    const OleColor themed = platform.get_sys_color(15), other = platform.get_sys_color(16);
    const OleColor pinned = themed ^ 0x00FFFFFFu;
    platform.set_sys_color(15, pinned);
    QCOMPARE(platform.get_sys_color(15), pinned);
    QCOMPARE(platform.get_sys_color(16), other);
    platform.clear_sys_colors();
    QCOMPARE(platform.get_sys_color(15), themed);
  }
  void clearedPictureLetsItsImagesGo() {
    QImage sharp(8, 6, QImage::Format_ARGB32);
    sharp.fill(Qt::red);
    QPixmap dense = QPixmap::fromImage(sharp);
    dense.setDevicePixelRatio(2);
    Image& pic = Access::pic(*b_);
    QVERIFY(pic.image().isNull());
    for (int round = 0; round < 2; ++round) {
      b_->setPicture(dense);
      const PictureRef set = pic.picture();
      QVERIFY(set);
      QVERIFY(!pic.image().isNull());
      QCOMPARE(pic.source_of(set).size(), QSize(8, 6));
      b_->setPicture(QPixmap());
      QVERIFY(pic.image().isNull());
      QVERIFY(pic.source_of(set).isNull());
    }
  }
  void heldKeysKeepTakenAndPassedOnApart() {
    HeldKeys keys;
    keys.down().insert(Qt::Key_Space);
    keys.down().insert(Qt::Key_Space);
    keys.passed_on().insert(Qt::Key_Space);
    keys.passed_on().insert(Qt::Key_Return);
    QCOMPARE(keys.down().count(Qt::Key_Space), std::size_t{1});
    QCOMPARE(keys.down().count(Qt::Key_Return), std::size_t{0});
    QCOMPARE(keys.passed_on().erase(Qt::Key_Space), std::size_t{1});
    QCOMPARE(keys.down().count(Qt::Key_Space), std::size_t{1});
    keys.down().clear();
    QCOMPARE(keys.down().count(Qt::Key_Space), std::size_t{0});
    QCOMPARE(keys.passed_on().count(Qt::Key_Return), std::size_t{1});
  }
};

QTEST_MAIN(WidgetTest)
#include "widget_test.moc"
