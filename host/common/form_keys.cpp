#include "host/common/form_keys.h"

namespace brelund::host {

namespace {
FormKeyTarget taken_by(std::span<const FormButton> buttons, std::size_t i) noexcept {
  FormKeyTarget t;
  t.goes_on = false;
  if (buttons[i].enabled) t.presses = i;
  return t;
}
}  // namespace

FormKeyTarget form_key_target(FormKey key, std::span<const FormButton> buttons,
                              std::optional<std::size_t> focused,
                              bool focused_takes_enter) noexcept {
  if (focused && *focused >= buttons.size()) focused.reset();
  if (key == FormKey::enter && focused && focused_takes_enter) return taken_by(buttons, *focused);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const bool owner = key == FormKey::enter ? buttons[i].is_default : buttons[i].is_cancel;
    if (owner) return taken_by(buttons, i);
  }
  return {};
}

}  // namespace brelund::host
