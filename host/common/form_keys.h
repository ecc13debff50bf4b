// Which button of a form Enter and Escape press, written once for every host. A host gathers the
// buttons of the form (window) the key arrived in, says which of them has the focus and whether
// its platform lets Enter reach a focused button at all, and then either steps the focused button
// with the key as usual, or presses the answered button as its access key would, or lets the key
// go on to the rest of the window.
//
// - Enter presses the focused button when the platform hands it Enter (a Qt push button takes it
//   only when default or autoDefault; a web page and an OLE container always), and otherwise the
//   form's default button.
// - Escape presses the form's cancel button, wherever the focus is.
// - A key that finds its button disabled is still the form's: nothing is pressed and it does not
//   go on (a dialog does not let Enter fall through to the page when its OK button is greyed).
// - With no such button the key goes on, untouched.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

namespace brelund::host {

enum class FormKey { enter, escape };

struct FormButton {
  bool is_default = false;
  bool is_cancel = false;
  bool enabled = true;
};

struct FormKeyTarget {
  // The button the key presses, as an index into the form's buttons; none when the key goes on or
  // its button is disabled.
  std::optional<std::size_t> presses;
  // True when no button of the form takes the key.
  bool goes_on = true;
  bool operator==(const FormKeyTarget&) const = default;
};

// `buttons`: the shown buttons of the form, in tab order (the first default or cancel button
// wins when there are several). `focused`: the index of the button with the focus, if one of the
// form's buttons has it. `focused_takes_enter`: whether the platform delivers Enter to it.
FormKeyTarget form_key_target(FormKey key, std::span<const FormButton> buttons,
                              std::optional<std::size_t> focused,
                              bool focused_takes_enter = true) noexcept;

}  // namespace brelund::host
