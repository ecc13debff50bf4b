// Hover and focus. The pointer's departure is found by polling on Timer1, which runs only while
// the pointer is believed to be over the button; the timer's Enabled is the hover state.
#include "brelund/boton.h"
#include "input/cursor_over_window.h"

namespace brelund {

void Boton::hover_step(std::int16_t button) {
  const bool over = Util::CursorOverWindow(host_.platform, host_.surface.hwnd());
  if (over && button == 0 && !host_.timer.enabled()) {
    PaintFace(kTrue, kFalse);
    host_.timer.set_enabled(true);
  }
}

void Boton::Timer1_Timer() {
  if (Util::CursorOverWindow(host_.platform, host_.surface.hwnd())) return;
  PaintFace(m_Highlighted, m_Pressed);
  host_.timer.set_enabled(false);
}

void Boton::EnterFocus() {
  m_Highlighted = kTrue;
  PaintFace(kTrue, kFalse);
}

void Boton::GotFocus() {
  m_Highlighted = kTrue;
  PaintFace(kFalse, kFalse);
}

// A key held while the focus leaves is released elsewhere: its release clicks nothing here.
void Boton::ExitFocus() {
  armed_key_ = 0;
  m_Highlighted = kFalse;
  PaintFace(kFalse, kFalse);
}

void Boton::LostFocus() {
  armed_key_ = 0;
  m_Highlighted = kFalse;
  PaintFace(kFalse, kFalse);
}

}  // namespace brelund
