// A form on Qt: a window with a background and ambient font that holds BotonWidgets, loaded from
// and saved to the same form files as the headless host. One default and one cancel button at
// most: Enter and Escape that no focused widget takes work them (each button watches its window
// for that, in this window as in any QDialog).
#pragma once

#include <string>
#include <vector>

#include <QWidget>

#include "brelund/forms.h"
#include "brelund/qt/boton_widget.h"

namespace brelund::qt {

class FormWindow : public QWidget {
  Q_OBJECT

 public:
  // An empty form with the default background and ambient font.
  explicit FormWindow(QWidget* parent = nullptr);
  // Creates every button of the form and loads its saved set. Throws brelund::Error naming the
  // file, the control and the key at the first failure.
  FormWindow(const forms::Form& form, const std::string& file, QWidget* parent = nullptr);
  ~FormWindow() override;

  // The form's buttons that still exist: a button the application deletes leaves the form.
  const std::vector<BotonWidget*>& buttons() const noexcept { return buttons_; }
  BotonWidget* button(const QString& name) const;
  // Adds a new button (InitProperties) at (left, top) twips, in the form's font.
  BotonWidget* addButton(const QString& name, float left_twips, float top_twips);

  // Naming one takes the part from the previous one.
  void setDefaultButton(BotonWidget* b);
  void setCancelButton(BotonWidget* b);
  BotonWidget* defaultButton() const;
  BotonWidget* cancelButton() const;

  // The form as it would be saved now: every button's WriteProperties.
  forms::Form capture();

 private:
  void adopt(BotonWidget* b, forms::Control entry);
  forms::Form form_;
  std::vector<BotonWidget*> buttons_;  // children of this window: Qt deletes them
};

}  // namespace brelund::qt
