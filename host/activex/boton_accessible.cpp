// The control as a screen reader sees it: its window answers WM_GETOBJECT for the client
// object with an Accessible (accessible.h) that asks the control here.
#include <cwctype>

#include "host/activex/boton_object.h"
#include "host/activex/utf16.h"
#include "host/common/caption_rule.h"

namespace brelund::ax {

AccessibleFacts BotonObject::accessible_facts() {
  AccessibleFacts f;
  try {
    ensure_initialised();
    Boton& c = control();
    // The caption as drawn, its lines joined by spaces; the marked letter is the shortcut.
    std::string name;
    for (const host::CaptionLine& line : host::caption_lines(c.Caption())) {
      if (!name.empty() && !line.text.empty()) name += ' ';
      name += line.text;
      if (line.underline && f.shortcut.empty()) {
        std::wstring key = widen(line.text.substr(*line.underline, line.underline_bytes));
        for (wchar_t& ch : key) ch = static_cast<wchar_t>(std::towupper(ch));
        f.shortcut = L"Alt+" + key;
      }
    }
    f.description = widen(c.ToolTipText());
    f.name = name.empty() ? f.description : widen(name);
    f.unavailable = c.Enabled() == kFalse;
    f.pressed = c.pressed();
  } catch (...) {
    // A reader's question never fails the control: what could not be read stays empty.
  }
  f.focused = hwnd_ && GetFocus() == hwnd_;
  f.is_default = surface_.extender_default().value_or(false);
  return f;
}

bool BotonObject::accessible_hit(POINT screen) {
  if (!hwnd_ || !ScreenToClient(hwnd_, &screen)) return false;
  return surface_.opaque_at(screen.x, screen.y);
}

// The default action presses the button from outside (Instance::press): a click decided by the
// pointer would test the real cursor's place, which a reader's press does not move, and a key
// would reach the application's key handlers.
HRESULT BotonObject::accessible_press() {
  if (!hwnd_) return E_FAIL;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    raise_on_failure(instance_.press());
  });
}

LRESULT BotonObject::get_object(WPARAM wp, LPARAM lp) {
  if (static_cast<LONG>(lp) != OBJID_CLIENT) return DefWindowProcW(hwnd_, WM_GETOBJECT, wp, lp);
  if (!accessible_) accessible_ = Accessible::create(hwnd_, *this);
  if (!accessible_) return DefWindowProcW(hwnd_, WM_GETOBJECT, wp, lp);
  return LresultFromObject(kIidAccessible, wp, static_cast<IAccessible*>(accessible_.get()));
}

void BotonObject::notify_reader(DWORD event) const noexcept {
  if (hwnd_) NotifyWinEvent(event, hwnd_, OBJID_CLIENT, CHILDID_SELF);
}

void BotonObject::disconnect_reader() noexcept {
  if (accessible_) accessible_->disconnect();
  accessible_.reset();
}

}  // namespace brelund::ax
