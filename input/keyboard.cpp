// Keyboard press and release. Space always presses; Escape and Enter press only the form's cancel
// and default button. Releasing Space or Enter clicks a button that took their key-down, and
// Escape one that it pressed; see armed_key_.
#include "brelund/boton.h"

namespace brelund {

namespace {
constexpr std::int16_t kEnter = 13, kEscape = 27, kSpace = 32;
}

void Boton::KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) {
  m_Highlighted = kTrue;
  // Both extender properties are read for every key, Cancel first. A host whose extender lacks
  // them (or has no extender) answers nullopt: that counts as False, so Space still presses and
  // KeyDown still reaches the application.
  const bool cancel = host_.surface.extender_cancel().value_or(false);
  const bool is_default = host_.surface.extender_default().value_or(false);
  const bool presses =
      KeyCode == kSpace || (cancel && KeyCode == kEscape) || (is_default && KeyCode == kEnter);
  // Enter still clicks a focused button that is not the default one, as it always has.
  if (KeyCode == kSpace || KeyCode == kEnter || (KeyCode == kEscape && presses))
    armed_key_ = KeyCode;
  if (presses) {
    m_Pressed = kTrue;
    m_Highlighted = kTrue;
    PaintFace(kFalse, kTrue);
    LayoutContent();
  }
  host_.events.KeyDown(KeyCode, Shift);
}

void Boton::KeyPress(std::int16_t& KeyAscii) { host_.events.KeyPress(KeyAscii); }

void Boton::KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) {
  if (KeyCode == kEnter || KeyCode == kSpace || KeyCode == kEscape) {
    const bool clicks = armed_key_ == KeyCode;
    armed_key_ = 0;
    m_Pressed = kFalse;
    m_Highlighted = kTrue;
    PaintFace(kFalse, kFalse);
    LayoutContent();
    if (clicks) host_.events.Click();
  }
  host_.events.KeyUp(KeyCode, Shift);
}

void Boton::AccessKeyPress(std::int16_t& KeyAscii) {
  if (!host_.surface.enabled()) return;
  std::int16_t shift = 0;
  const std::int16_t code = KeyAscii;
  KeyDown(KeyAscii, shift);
  // The access key is its own key-down: the release tests the code as the application's KeyDown
  // left it.
  if (armed_key_ == code) armed_key_ = KeyAscii;
  std::int16_t release_shift = 0;
  KeyUp(KeyAscii, release_shift);
}

}  // namespace brelund
