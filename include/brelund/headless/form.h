// A whole form on the headless host: its buttons created and loaded from the form file, and the
// form drawn with every button composed at its place.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "brelund/forms.h"
#include "brelund/headless/button.h"

namespace brelund::headless {

struct FormInstance {
  forms::Form form;
  std::string file;
  std::vector<std::unique_ptr<Button>> buttons;

  // Creates every button, loads its saved set and shows it. Throws the first failure, naming the
  // file, the control and the key. Controls may be moved in `form` afterwards, but the button of
  // form.controls[i] is buttons[i]: render and capture refuse a form whose counts differ.
  // `step`, when given, is called after each button (a progress display counts them).
  static FormInstance open(forms::Form form, const std::string& file,
                           const std::function<void()>& step = {});
  Raster render(const std::function<void()>& step = {});
  // The form as it would be saved now: every control's WriteProperties.
  forms::Form capture();
};

}  // namespace brelund::headless
