// boton-qt-gallery: the Qt button's states in one row, as a Qt application shows them: checked,
// held down, flat, the default button, a menu, an icon and style sheet colours (a checked rule
// and a rule for every state). Run on the offscreen platform it draws the same picture on every
// machine with the same fonts; README's Qt row is made by it:
//   QT_QPA_PLATFORM=offscreen build/default/boton-qt-gallery -o docs/gallery-qt.png
#include <QApplication>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <cstdio>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "brelund/qt/boton_widget.h"

namespace {

using brelund::qt::BotonWidget;

// An icon of the control's gallery: a sun, drawn with antialiasing at twice the size too.
QIcon sun() {
  QIcon icon;
  for (int ratio : {1, 2}) {
    QPixmap p(20 * ratio, 20 * ratio);
    p.setDevicePixelRatio(ratio);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xC0, 0x60, 0x10), 2));
    painter.setBrush(QColor(0xF0, 0xC0, 0x20));
    painter.drawEllipse(QRectF(2, 2, 16, 16));
    icon.addPixmap(p);
  }
  return icon;
}

int usage() {
  std::fprintf(stderr, "usage: boton-qt-gallery -o PNG\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3 || std::string_view(argv[1]) != "-o") return usage();
  QFont font("DejaVu Sans");
  font.setPointSizeF(9);
  QApplication::setFont(font);

  QWidget window;
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(0xE8, 0xE8, 0xE0));
  window.setPalette(palette);
  QMenu menu;
  menu.addAction("Uno");

  const std::vector<std::pair<const char*, std::function<void(BotonWidget&)>>> cells = {
      {"Checked",
       [](BotonWidget& b) {
         b.setCheckable(true);
         b.setChecked(true);
       }},
      {"Down", [](BotonWidget& b) { b.setDown(true); }},
      {"Flat", [](BotonWidget& b) { b.setFlat(true); }},
      {"Default", [](BotonWidget& b) { b.setDefault(true); }},
      {"Menu", [&menu](BotonWidget& b) { b.setMenu(&menu); }},
      {"Icon", [](BotonWidget& b) { b.setIcon(sun()); }},
      {"Sheet",
       [](BotonWidget& b) {
         b.setStyleSheet("QPushButton { background-color: #3a70c0; color: white; }");
       }},
      {"Sheet :checked",
       [](BotonWidget& b) {
         b.setStyleSheet("QPushButton:checked { background-color: #80c080; color: #103010; }");
         b.setCheckable(true);
         b.setChecked(true);
       }},
  };
  constexpr int kWidth = 124, kHeight = 40, kGap = 8;
  int x = kGap;
  for (const auto& [name, setup] : cells) {
    auto* b = new BotonWidget(name, &window);
    b->setFocusPolicy(Qt::NoFocus);
    b->setGeometry(x, kGap, kWidth, kHeight);
    setup(*b);
    x += kWidth + kGap;
  }
  window.resize(x, kHeight + 2 * kGap);
  window.show();
  QApplication::processEvents();
  const QImage shot = window.grab().toImage();
  if (!shot.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "boton-qt-gallery: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
