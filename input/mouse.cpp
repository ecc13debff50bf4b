// Press, drag and release of the left button. The application's handler runs first on a press
// and may change Button: the step reads the argument only after raising MouseDown.
#include "brelund/boton.h"
#include "input/cursor_over_window.h"

namespace brelund {

void Boton::MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
  host_.events.MouseDown(Button, Shift, X, Y);
  if (m_Pressed) m_Pressed = kFalse;
  if (Button == 1) {
    m_Highlighted = kTrue;
    LayoutContent();  // m_Pressed is False here: the content stays at rest on a press
    PaintFace(kFalse, kTrue);
    m_Pressed = kTrue;
  }
}

void Boton::MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
  if (Button == 1) {
    const Bool16 over = to_bool16(Util::CursorOverWindow(host_.platform, host_.surface.hwnd()));
    m_Highlighted = over;
    m_Pressed = over;
    PaintFace(m_Highlighted, m_Pressed);
    LayoutContent();
  } else {
    hover_step(Button);
  }
  host_.events.MouseMove(Button, Shift, X, Y);
}

void Boton::MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) {
  if (Button == 1) {
    PaintFace(kFalse, kFalse);
    m_Pressed = kFalse;
    LayoutContent();
    // The click is decided by where the system pointer is, not by X and Y: a transparent corner
    // or another window under the pointer is not the button.
    if (Util::CursorOverWindow(host_.platform, host_.surface.hwnd())) host_.events.Click();
  }
  host_.events.MouseUp(Button, Shift, X, Y);
}

}  // namespace brelund
