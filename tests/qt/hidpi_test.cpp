// At a device pixel ratio of 2 (QT_SCALE_FACTOR=2 on offscreen) the face, its cut-away corners
// and the picture are drawn with the device's pixels, not doubled logical ones.
#include <QTest>

#include "recorder.h"

using namespace brelund::qt;
using namespace brelund::qt::test;

class HidpiTest : public QObject {
  Q_OBJECT

 private:
  QWidget form_;
  BotonWidget* b_ = nullptr;
  QImage shot_;
  const QColor green_{0, 128, 0};

 private slots:
  void initTestCase() {
    form_.resize(300, 120);
    QPalette green = form_.palette();
    green.setColor(QPalette::Window, green_);
    form_.setPalette(green);
    form_.setAutoFillBackground(true);
    b_ = new BotonWidget("Hola", &form_);
    b_->move(20, 20);
    QImage checker(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) checker.setPixel(x, y, (x + y) % 2 ? 0xFFFF0000 : 0xFF0000FF);
    QPixmap sharp = QPixmap::fromImage(checker);
    sharp.setDevicePixelRatio(2);
    b_->setPicture(sharp);
    form_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form_));
    QCOMPARE(b_->devicePixelRatioF(), 2.0);
    shot_ = form_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shot_.size(), form_.size() * 2);
    if (qEnvironmentVariableIsSet("BRELUND_SAVE_SHOT")) shot_.save("hidpi.png");
  }

  void the_gradient_has_device_rows() {
    // Doubled logical rows come in equal pairs; the device's own rows do not.
    const int x = (20 + 10) * 2;
    int unequal = 0;
    for (int y = 20 * 2; y < (20 + b_->height()) * 2; y += 2)
      if (shot_.pixel(x, y) != shot_.pixel(x, y + 1)) ++unequal;
    QVERIFY2(unequal > 3, qPrintable(QString::number(unequal)));
  }

  void corners_are_cut_at_device_resolution() {
    const QPoint origin(40, 40);  // the button's top-left device pixel
    QCOMPARE(shot_.pixelColor(origin), green_);
    // Where the rounding begins, row by row: doubled logical rows would come in equal pairs.
    auto edge = [&](int y) {
      int x = 0;
      while (x < 60 && shot_.pixelColor(origin + QPoint(x, y)) == green_) ++x;
      return x;
    };
    int finer = 0;
    for (int y = 0; y < 20; y += 2)
      if (edge(y) != edge(y + 1)) ++finer;
    QVERIFY2(finer > 2, qPrintable(QString::number(finer)));
    QVERIFY(shot_.pixelColor(origin + QPoint(30, b_->height())) != green_);
  }

  void the_picture_keeps_its_pixels() {
    const QRect at = Access::picture_rect(*b_).translated(b_->pos());
    QCOMPARE(at.size(), QSize(16, 16));
    const QPoint p = at.topLeft() * 2 + QPoint(4, 4);
    QVERIFY(shot_.pixel(p) != shot_.pixel(p + QPoint(1, 0)));
    QCOMPARE(b_->Picture().devicePixelRatio(), 2.0);
  }

  // An icon shows its pixmap for the screen: of an icon with a plain 16-pixel image and a
  // checkered 32-pixel one, the checkered one, each device pixel its own, in a 16 x 16 box.
  void the_icon_uses_its_pixmap_for_the_ratio() {
    QWidget form;
    auto* b = new BotonWidget("Icono", &form);
    QPixmap plain(16, 16);
    plain.fill(Qt::blue);
    QImage checker(32, 32, QImage::Format_ARGB32);
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) checker.setPixel(x, y, (x + y) % 2 ? 0xFFFF0000 : 0xFF00FF00);
    QPixmap sharp = QPixmap::fromImage(checker);
    sharp.setDevicePixelRatio(2);
    QIcon icon;
    icon.addPixmap(plain);
    icon.addPixmap(sharp);
    b->setIconSize(QSize(16, 16));
    b->setIcon(icon);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QImage shot = b->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect at = Access::picture_rect(*b);
    QCOMPARE(at.size(), QSize(16, 16));
    const QPoint p = at.topLeft() * 2 + QPoint(6, 6);
    QCOMPARE(shot.pixelColor(p), QColor(0, 255, 0));
    QCOMPARE(shot.pixelColor(p + QPoint(1, 0)), QColor(255, 0, 0));
    QVERIFY(b->Picture().isNull());
  }
};

QTEST_MAIN(HidpiTest)
#include "hidpi_test.moc"
