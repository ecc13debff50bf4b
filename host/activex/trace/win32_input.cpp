// The trace's input on Win32: the system pointer is the real one, pointer and key notifications
// are real input (SendInput) to the server's own window wherever the platform can carry exactly
// what the script asks for, Timer1 is the server window's real timer. Where real input cannot
// carry a verb, the runner says why and has the control take the step through its diagnostic
// interface.
//
// Over our usual length: the one place that decides, verb by verb, whether real input can
// carry a notification, and why not when it cannot.
#include <cmath>

#include "brelund/units.h"
#include "host/activex/trace/win32_trace_host.h"

namespace brelund::ax::trace_win32 {

namespace {

// How long the system may take to hand an input or timer message on.
constexpr DWORD kDeliveryMs = 2000;
constexpr DWORD kSettleMs = 30;
// The server's Timer1 is its window's timer number 1.
constexpr UINT_PTR kTimerId = 1;

bool held_back(const MSG& m) {
  return (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
         (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ||
         (m.message == WM_TIMER && m.wParam == kTimerId);
}

// A whole pixel in twips, or none.
std::optional<int> whole_pixel(float twips) {
  const double px = static_cast<double>(twips) / units::kTwipsPerPixel;
  if (px != std::floor(px) || std::abs(px) > 100000) return std::nullopt;
  return static_cast<int>(px);
}

const char* verb_of(host::PointerAction a) {
  switch (a) {
    case host::PointerAction::down:
      return "mouse down";
    case host::PointerAction::up:
      return "mouse up";
    default:
      return "mouse move";
  }
}

// A step the control took through its diagnostic interface: its failure, as the control gave it.
Status step_status(HRESULT hr) {
  if (SUCCEEDED(hr)) return {};
  const std::string text = error_info_text();
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return {HRESULT_CODE(hr), text};
  return {errors::kInvalidProcedureCall, "Invalid procedure call or argument"};
}

constexpr const char* kNoWindow = "the control has no window before it is shown";

}  // namespace

// ---- the message loop ----

void Win32Host::pump(Expect* expect, DWORD timeout_ms) {
  struct Waiting {
    Expect*& current;
    Expect* outer;
    ~Waiting() { current = outer; }
  } waiting{expect_, std::exchange(expect_, expect)};
  const DWORD start = GetTickCount();
  for (;;) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      // Input and timer messages reach the control only when they are the expected one: the
      // script says which notifications the control gets, and the pointer moves and timer
      // periods of the real system in between are not among them.
      if (held_back(m)) {
        const bool expected_kind =
            expect && (m.message == expect->message ||
                       (expect->or_message != 0 && m.message == expect->or_message));
        if (!expect || expect->arrived || !expected_kind || m.hwnd != expect->hwnd ||
            (expect->wparam && m.wParam != *expect->wparam) ||
            (expect->lparam && m.lParam != *expect->lparam)) {
          // A character typed as a packet arrives as a key first; the character is the message.
          if (expect && expect->message == WM_CHAR && m.message == WM_KEYDOWN &&
              m.wParam == VK_PACKET && m.hwnd == expect->hwnd)
            TranslateMessage(&m);
          continue;
        }
        expect->arrived = true;
      }
      DispatchMessageW(&m);
      if (expect && expect->arrived) return;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - elapsed, QS_ALLINPUT);
  }
}

RECT Win32Host::window_rect() const {
  if (control_->hwnd) {
    RECT r{};
    GetWindowRect(control_->hwnd, &r);
    return r;
  }
  RECT r = control_->around->place;
  MapWindowPoints(form_, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Win32Host::move_pointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  pump(nullptr, kSettleMs);
}

bool Win32Host::over(POINT screen) const {
  return control_->hwnd && WindowFromPoint(screen) == control_->hwnd;
}

bool Win32Host::deliver(INPUT* inputs, UINT count, Expect expect, Status& status) {
  Control* c = control_.get();
  pump(nullptr, kSettleMs);  // nothing left over from before may pass for the answer
  c->listener->take_failure();
  ComPtr<Listener> listener = c->listener;  // the control may be replaced in its step
  if (SendInput(count, inputs, sizeof(INPUT)) != count) return false;
  pump(&expect, kDeliveryMs);
  status = listener->take_failure().value_or(Status{});
  return expect.arrived;
}

Status Win32Host::simulated(const std::string& why, const std::function<HRESULT()>& step) {
  probe_->simulated(why);
  return step_status(step());
}

// ---- pointer ----

Status Win32Host::pointer(host::PointerAction action, host::PointerTarget target,
                          std::int16_t button, std::int16_t shift, float x, float y) {
  const std::string verb = verb_of(action);
  ComPtr<IBotonDiagnostics> diag = control_->diag;
  auto instead = [&](const std::string& why) {
    return simulated(verb + ": " + why, [&] {
      return diag->Pointer(static_cast<LONG>(action), static_cast<LONG>(target), button, shift, x,
                           y);
    });
  };
  Control& c = *control_;
  if (!c.hwnd) return instead(kNoWindow);
  if (shift != 0) return instead("modifier keys would reach the control as keys of their own");
  const bool press = action != host::PointerAction::move;
  if (press && button != 1 && button != 2 && button != 4)
    return instead("no single real button is that button");
  if (!press && button != held_) return instead("the real buttons held are not those");
  // The point on the surface, in twips: from the part's origin where it was when pressed while
  // it holds the capture (the pressed look moves it), else from where it is now.
  float sx = x, sy = y;
  if (capture_ && capture_->target == target) {
    sx += capture_->x;
    sy += capture_->y;
  } else if (target != host::PointerTarget::surface) {
    const trace::Placement at = placement();
    const bool caption = target == host::PointerTarget::caption;
    sx += caption ? at.label_left : at.pic_left;
    sy += caption ? at.label_top : at.pic_top;
  }
  const auto px = whole_pixel(sx), py = whole_pixel(sy);
  if (!px || !py) return instead("the point is not a whole pixel");
  // The part the control's window gives the point to: the one holding the capture, or the one
  // under it.
  LONG got = 0;
  float gx = 0, gy = 0;
  if (capture_) {
    got = static_cast<LONG>(capture_->target);
    gx = sx - capture_->x;
    gy = sy - capture_->y;
  } else if (FAILED(c.diag->Hit(sx, sy, &got, &gx, &gy))) {
    return instead("the point lies on another part of the control");
  }
  if (got != static_cast<LONG>(target) || gx != x || gy != y)
    return instead("the point lies on another part of the control");
  RECT wr = window_rect();
  const POINT s{wr.left + *px, wr.top + *py};
  if (s.x < 0 || s.y < 0 || s.x >= GetSystemMetrics(SM_CXSCREEN) ||
      s.y >= GetSystemMetrics(SM_CYSCREEN))
    return instead("the point is off the screen");
  if (!IsWindowEnabled(c.hwnd)) return instead("a disabled window takes no pointer input");
  if (GetCapture() != c.hwnd && !over(s))
    return instead("the mask gives the point to the window behind");
  // The control asks where the system pointer is; the real one must answer as the script's does.
  if (over(s) != over(pointer_)) return instead("the script's pointer is elsewhere");

  INPUT in{};
  in.type = INPUT_MOUSE;
  UINT message = WM_MOUSEMOVE, or_message = 0;
  if (action == host::PointerAction::move) {
    // A move must move: the pointer comes from the pixel beside the point, one pixel along.
    move_pointer({s.x - 1, s.y});
    in.mi.dwFlags = MOUSEEVENTF_MOVE;
    in.mi.dx = 1;
  } else {
    move_pointer(s);
    const bool down = action == host::PointerAction::down;
    switch (button) {
      case 1:
        in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
        message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        or_message = down ? WM_LBUTTONDBLCLK : 0;
        break;
      case 2:
        in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        or_message = down ? WM_RBUTTONDBLCLK : 0;
        break;
      default:
        in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        or_message = down ? WM_MBUTTONDBLCLK : 0;
        break;
    }
  }
  Control* target_control = &c;
  Expect e{message, c.hwnd, std::nullopt};
  e.lparam = MAKELPARAM(*px, *py);
  // The control's window takes double-clicks; a second press soon after the first at the same
  // place comes as one, and the window takes it as the press it is.
  e.or_message = or_message;
  // The capture as the control's instance keeps it: taken by the first press, kept while any
  // real button is held, and its part's origin where the part was when pressed.
  if (action == host::PointerAction::down && held_ == 0) capture_ = Capture{target, sx - x, sy - y};
  Status status;
  const bool arrived = deliver(&in, 1, e, status);
  if (press && control_.get() == target_control) {
    if (action == host::PointerAction::down)
      held_ = static_cast<std::int16_t>(held_ | button);
    else
      held_ = static_cast<std::int16_t>(held_ & ~button);
    if (held_ == 0) capture_.reset();
  }
  // The system pointer goes back where the script left it.
  if (control_) move_pointer(pointer_);
  if (!arrived) {
    if (control_.get() != target_control) return {};
    return instead("the system did not hand the input on");
  }
  return status;
}

void Win32Host::pointer_over() {
  const RECT r = window_rect();
  pointer_ = {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2};
  move_pointer(pointer_);
}

void Win32Host::pointer_away() {
  // The screen's far corner: on the form, off the control unless the control covers the screen.
  pointer_ = {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  move_pointer(pointer_);
}

void Win32Host::pointer_at(int x, int y) {
  const RECT r = window_rect();
  pointer_ = {r.left + x, r.top + y};
  move_pointer(pointer_);
}

// ---- keys ----

std::optional<std::string> Win32Host::key_refused(std::int16_t code, std::int16_t shift) {
  if (!control_->hwnd) return kNoWindow;
  if (shift != 0) return "modifier keys would reach the control as keys of their own";
  switch (code) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
      return "a modifier key changes the shift state it reports";
    case VK_F10:
      return "the system takes F10 as a menu key";
    default:
      break;
  }
  if (code < 8 || code > 254 || code == VK_PACKET) return "no key has that code";
  return focus_refused();
}

std::optional<std::string> Win32Host::focus_refused() {
  const HWND hwnd = control_->hwnd;
  if (!hwnd) return kNoWindow;
  if (!IsWindowEnabled(hwnd)) return "a disabled window takes no keyboard input";
  // The control is the form's only one: the keyboard focus goes back to it once it can have
  // it (disabling a window takes the focus away). Its focus notifications are the script's.
  if (GetFocus() != hwnd) {
    SetFocus(hwnd);
    pump(nullptr, kSettleMs);
  }
  if (!control_ || GetFocus() != control_->hwnd)
    return "the control's window does not have the focus";
  return std::nullopt;
}

Status Win32Host::send_key(bool down, std::int16_t code, std::int16_t shift) {
  const std::string verb = down ? "key down" : "key up";
  ComPtr<IBotonDiagnostics> diag = control_->diag;
  auto step = [&] { return diag->Key(down ? kDiagKeyDown : kDiagKeyUp, code, shift); };
  if (const auto why = key_refused(code, shift)) return simulated(verb + ": " + *why, step);
  Control* c = control_.get();
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(code);
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(code), MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  Status status;
  if (!deliver(&in, 1,
               Expect{static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP), c->hwnd,
                      static_cast<WPARAM>(code)},
               status))
    return control_.get() == c ? simulated(verb + ": the system did not hand the key on", step)
                               : Status{};
  return status;
}

Status Win32Host::key(trace::KeyVerb verb, std::int16_t code, std::int16_t shift) {
  switch (verb) {
    case trace::KeyVerb::down:
      return send_key(true, code, shift);
    case trace::KeyVerb::up:
      return send_key(false, code, shift);
    case trace::KeyVerb::press:
      return send_press(code);
    case trace::KeyVerb::access:
      break;
  }
  return send_access(code);
}

Status Win32Host::send_press(std::int16_t ascii) {
  ComPtr<IBotonDiagnostics> diag = control_->diag;
  auto step = [&] { return diag->Key(kDiagKeyPress, ascii, 0); };
  if (ascii <= 0) return simulated("key press: no character has that code", step);
  if (const auto why = focus_refused()) return simulated("key press: " + *why, step);
  Control* c = control_.get();
  // The character alone, typed as a packet: no key notifications of its own reach the control.
  INPUT in[2]{};
  for (auto& i : in) {
    i.type = INPUT_KEYBOARD;
    i.ki.wScan = static_cast<WORD>(ascii);
    i.ki.dwFlags = KEYEVENTF_UNICODE;
  }
  in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
  Status status;
  if (!deliver(in, 2, Expect{WM_CHAR, c->hwnd, static_cast<WPARAM>(ascii)}, status))
    return control_.get() == c ? simulated("key press: the system did not hand it on", step)
                               : Status{};
  return status;
}

// Access keys are the container's: it finds the control by its mnemonic and tells it through
// IOleControl::OnMnemonic, with the key message that typed it. The control answers the keys its
// extender makes it the default or cancel button for (Enter, Escape); the other mnemonics no
// message of the control's own carries, and they are simulated.
Status Win32Host::send_access(std::int16_t ascii) {
  ComPtr<IBotonDiagnostics> diag = control_->diag;
  if (ascii == 13 || ascii == 27) {
    ComPtr<IOleControl> oc = control_->ole.query<IOleControl>(IID_IOleControl);
    if (oc) {
      MSG m{control_->hwnd,
            WM_KEYDOWN,
            static_cast<WPARAM>(ascii == 13 ? VK_RETURN : VK_ESCAPE),
            0,
            static_cast<DWORD>(GetMessageTime()),
            {}};
      const HRESULT hr = oc->OnMnemonic(&m);
      if (hr != S_FALSE) return step_status(hr);
    }
  }
  return simulated("key access: the container delivers access keys itself",
                   [&] { return diag->Key(kDiagKeyAccess, ascii, 0); });
}

// ---- focus ----

// The script gives the focus notifications one by one; a window's real focus gives them in
// pairs (EnterFocus with GotFocus, LostFocus with ExitFocus), so the container hands each over.
Status Win32Host::focus(trace::FocusVerb verb) {
  static constexpr const char* names[] = {"enter", "got", "exit", "lost"};
  const auto v = static_cast<LONG>(verb);
  ComPtr<IBotonDiagnostics> diag = control_->diag;
  return simulated(
      std::string("focus ") + names[v] + ": the container gives focus notifications one at a time",
      [&] { return diag->Focus(v); });
}

// ---- the timer ----

Status Win32Host::tick() {
  Control* c = control_.get();
  DiagState state;
  if (FAILED(c->diag->GetState(state.put()))) return {errors::kInvalidProcedureCall, "state"};
  const BotonDiagState& st = *state;
  // A stopped timer sends nothing, and the period passes without a step.
  if (st.timer_enabled == VARIANT_FALSE || st.timer_interval <= 0) return {};
  ComPtr<IBotonDiagnostics> diag = c->diag;
  if (!c->hwnd) return simulated(std::string("tick: ") + kNoWindow, [&] { return diag->Tick(); });
  Expect e{WM_TIMER, c->hwnd, kTimerId};
  ComPtr<Listener> listener = c->listener;
  listener->take_failure();
  pump(&e, static_cast<DWORD>(st.timer_interval) * 3 + kDeliveryMs);
  if (!e.arrived)
    return control_.get() == c
               ? simulated("tick: Timer1 did not fire in time", [&] { return diag->Tick(); })
               : Status{};
  return listener->take_failure().value_or(Status{});
}

}  // namespace brelund::ax::trace_win32
