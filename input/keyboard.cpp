// Keyboard press and release. Space always presses; Escape and Enter press only the form's cancel
// and default button. Releasing any of the three raises Click.
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
    m_Pressed = kFalse;
    m_Highlighted = kTrue;
    PaintFace(kFalse, kFalse);
    LayoutContent();
    host_.events.Click();
  }
  host_.events.KeyUp(KeyCode, Shift);
}

void Boton::AccessKeyPress(std::int16_t& KeyAscii) {
  if (!host_.surface.enabled()) return;
  std::int16_t shift = 0;
  KeyDown(KeyAscii, shift);
  std::int16_t release_shift = 0;
  KeyUp(KeyAscii, release_shift);
}

}  // namespace brelund
