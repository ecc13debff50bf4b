// A form on Qt: a window with a background and ambient font that holds BotonWidgets, loaded from
// and saved to the same form files as the headless host. It is also where the form-level default
// and cancel buttons live: Enter and Escape that no focused control takes are handed to them as
// the access-key notification.
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

  const std::vector<BotonWidget*>& buttons() const noexcept { return buttons_; }
  BotonWidget* button(const QString& name) const;
  // Adds a new button (InitProperties) at (left, top) twips.
  BotonWidget* addButton(const QString& name, float left_twips, float top_twips);

  // One default and one cancel button at most: naming one takes the part from the previous one.
  void setDefaultButton(BotonWidget* b);
  void setCancelButton(BotonWidget* b);
  BotonWidget* defaultButton() const noexcept { return default_; }
  BotonWidget* cancelButton() const noexcept { return cancel_; }

  // The form as it would be saved now: every button's WriteProperties.
  forms::Form capture();

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void adopt(BotonWidget* b, forms::Control entry);
  forms::Form form_;
  std::vector<BotonWidget*> buttons_;  // children of this window: Qt deletes them
  BotonWidget* default_ = nullptr;
  BotonWidget* cancel_ = nullptr;
};

}  // namespace brelund::qt
