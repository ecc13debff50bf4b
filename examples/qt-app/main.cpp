// A dialog built from dialog.ui on an installed Brelund: a default and a cancel BotonWidget in
// a QDialogButtonBox next to the box's own QPushButtons. `--self-test` answers the dialog once
// with Enter and once with Escape, checks that each worked its button once and closed the dialog
// the right way, prints the result and exits; without it the dialog stays open.
#include <brelund/qt/boton_widget.h>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <cstdio>

#include "ui_dialog.h"

using brelund::qt::BotonWidget;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  Ui::NameDialog ui;
  ui.setupUi(&dialog);
  // The button box places them as the platform orders accept and reject buttons.
  ui.buttonBox->addButton(ui.okButton, QDialogButtonBox::AcceptRole);
  ui.buttonBox->addButton(ui.cancelButton, QDialogButtonBox::RejectRole);
  QObject::connect(ui.buttonBox, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(ui.buttonBox, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

  int ok_clicks = 0, cancel_clicks = 0;
  QObject::connect(ui.okButton, &QPushButton::clicked, [&] { ++ok_clicks; });
  QObject::connect(ui.cancelButton, &QPushButton::clicked, [&] { ++cancel_clicks; });
  // The control's own events: a directly connected slot may change their arguments.
  QObject::connect(ui.okButton, &BotonWidget::KeyDown, ui.okButton,
                   [](short& code, short&) { std::printf("KeyDown %d\n", code); });

  if (argc > 1 && QString(argv[1]) == "--self-test") {
    auto answer = [&](Qt::Key key) {
      dialog.show();
      ui.name->setFocus();
      // The line edit leaves Enter and Escape to the dialog, which hands them to its buttons.
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(ui.name, &press);
      return dialog.result();
    };
    const int with_enter = answer(Qt::Key_Return);
    const int with_escape = answer(Qt::Key_Escape);
    const bool sized = ui.okButton->width() >= ui.okButton->minimumSizeHint().width();
    std::printf("ok clicks %d, cancel clicks %d, enter %s, escape %s, sized %s\n", ok_clicks,
                cancel_clicks, with_enter == QDialog::Accepted ? "accepted" : "not accepted",
                with_escape == QDialog::Rejected ? "rejected" : "not rejected",
                sized ? "yes" : "no");
    return ok_clicks == 1 && cancel_clicks == 1 && with_enter == QDialog::Accepted &&
                   with_escape == QDialog::Rejected && sized
               ? 0
               : 1;
  }
  return dialog.exec();
}
