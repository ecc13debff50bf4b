// A small dialog built on an installed Brelund: two buttons, the first the default and the second
// the cancel button. `--self-test` works both through Enter and Escape, checks that each raised
// Click, prints the result and exits; without it the dialog stays open.
#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <cstdio>

#include "brelund/qt/form_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  brelund::qt::FormWindow form;
  form.setWindowTitle("Brelund");
  auto* ok = form.addButton("Ok", 450, 600);
  ok->setProperty("Caption", "Aceptar");
  ok->setProperty("RoundSize", 30);
  auto* cancel = form.addButton("Cancel", 3600, 600);
  cancel->setProperty("Caption", "Cancelar");
  form.setDefaultButton(ok);
  form.setCancelButton(cancel);

  int ok_clicks = 0, cancel_clicks = 0;
  QObject::connect(ok, &brelund::qt::BotonWidget::click, [&] { ++ok_clicks; });
  QObject::connect(cancel, &brelund::qt::BotonWidget::click, [&] { ++cancel_clicks; });
  // The application may change an event's argument: its slot runs inside the event.
  QObject::connect(
      ok, &brelund::qt::BotonWidget::keyDown, ok,
      [](short& code, short&) { std::printf("KeyDown %d\n", code); }, Qt::DirectConnection);
  form.show();

  if (argc > 1 && QString(argv[1]) == "--self-test") {
    // Keys that reach the form itself: no control holds the focus.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(&form, &enter);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QApplication::sendEvent(&form, &escape);
    std::printf("ok clicks %d, cancel clicks %d\n", ok_clicks, cancel_clicks);
    return ok_clicks == 1 && cancel_clicks == 1 ? 0 : 1;
  }
  return QApplication::exec();
}
