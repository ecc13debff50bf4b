// The window shape on a real X server: the form shows through each cut-away corner, and a
// click there goes to the form, not to the button.
#include <QScreen>
#include <QTest>

#include "brelund/forms.h"
#include "brelund/qt/form_window.h"
#include "recorder.h"

using namespace brelund;
using namespace brelund::qt;
using namespace brelund::qt::test;

namespace {
// Counts the presses that reach a widget.
class PressCounter final : public QObject {
 public:
  int presses = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonPress) ++presses;
    return false;
  }
};
}  // namespace

class ShapeTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<FormWindow> form_;

 private slots:
  void init() {
    QCOMPARE(QGuiApplication::platformName(), "xcb");
    const std::string file = BRELUND_TEST_FORMS "/dialog.json";
    form_ = std::make_unique<FormWindow>(forms::load(file), file);
    form_->move(50, 50);
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTest::qWait(300);  // let the server finish drawing before its pixels are read
  }
  void cleanup() { form_.reset(); }

  void corners_show_the_form_behind() {
    const QImage shot =
        form_->screen()->grabWindow(form_->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot.size(), form_->size());
    const QColor green(0, 128, 0);
    for (BotonWidget* b : form_->buttons()) {
      const QRect r = b->geometry();
      for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
        QVERIFY2(shot.pixelColor(corner) == green,
                 qPrintable(b->objectName() + " corner " + shot.pixelColor(corner).name()));
      // Inside the shape the face is drawn, not the form.
      const QPoint inside = r.topLeft() + QPoint(15, r.height() / 2);
      QVERIFY2(shot.pixelColor(inside) != green, qPrintable(b->objectName()));
      QCOMPARE(shot.pixelColor(inside),
               QColor::fromRgb(Access::face(*b).pixel(15, r.height() / 2)));
    }
  }

  void a_click_on_a_corner_reaches_the_form() {
    BotonWidget* b = form_->buttons().front();
    EventLog log(*b);
    PressCounter form_presses;
    form_->installEventFilter(&form_presses);
    const QPoint corner = b->geometry().topLeft() + QPoint(1, 1);
    QCursor::setPos(form_->mapToGlobal(corner));
    QTRY_COMPARE(QCursor::pos(), form_->mapToGlobal(corner));
    QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, corner);
    QCOMPARE(form_presses.presses, 1);
    QCOMPARE(log.without_moves(), QStringList());

    // The same click inside the shape is the button's.
    const QPoint inside = b->geometry().topLeft() + QPoint(15, b->height() / 2);
    QCursor::setPos(form_->mapToGlobal(inside));
    QTRY_COMPARE(QCursor::pos(), form_->mapToGlobal(inside));
    QTest::mouseClick(form_->windowHandle(), Qt::LeftButton, {}, inside);
    QCOMPARE(log.without_moves(),
             QStringList({"MouseDown 1 0 225 420", "Click", "MouseUp 1 0 225 420"}));
    QCOMPARE(form_presses.presses, 1);
  }
};

QTEST_MAIN(ShapeTest)
#include "shape_xcb_test.moc"
