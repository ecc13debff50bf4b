// The trace's host steps on Win32: the system pointer is the real one, pointer and key
// notifications are real input (SendInput) wherever the platform can carry exactly what the
// script asks for, Timer1 is the real window timer, and a snapshot reads the window's pixels.
//
// Over our usual length: the one place that decides, verb by verb, whether real input can
// carry a notification, and why not when it cannot.
#include "host/activex/trace/win32_trace_host.h"

#include <cmath>
#include <utility>

#include "brelund/units.h"
#include "host/common/png.h"
#include "host/headless/platform.h"

namespace brelund::ax::trace_win32 {

namespace {

// How long the system may take to hand an input or timer message on.
constexpr DWORD kDeliveryMs = 2000;
constexpr DWORD kSettleMs = 30;

bool held_back(const MSG& m) {
  return (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
         (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) ||
         (m.message == WM_TIMER && m.wParam == Timer::kId);
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

}  // namespace

Win32Host::Win32Host() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"BrelundTraceForm";
  RegisterClassExW(&wc);
  // The form fills the screen, so that a large control lies on it whole and the real pointer
  // can be anywhere on it.
  form_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"boton trace", WS_POPUP | WS_VISIBLE, 0,
                          0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                          nullptr, wc.hInstance, nullptr);
  if (!form_) throw Error(errors::kInvalidProcedureCall, "The form window cannot be made");
  SetForegroundWindow(form_);
  pump(nullptr, kSettleMs);
}

Win32Host::~Win32Host() {
  control_.reset();
  retired_.clear();
  if (form_) DestroyWindow(form_);
}

void Win32Host::create(host::EventSink& application, trace::Probe& probe) {
  if (control_) {
    // Replaced from inside one of its own events: the step in progress still runs on it, so it
    // ends (retired) and hides now and goes when the run does.
    if (dispatching_ > 0) {
      control_->instance.retire();
      control_->timer.set_window(nullptr);
      if (GetCapture() == control_->hwnd) ReleaseCapture();
      ShowWindow(control_->hwnd, SW_HIDE);
      retired_.push_back(std::move(control_));
    }
    control_.reset();
  }
  probe_ = &probe;
  control_ = std::make_unique<Control>(*this, application, probe, form_);
  Control& c = *control_;
  c.instance.watch(&probe);
  c.scripted = [this](HWND h, UINT msg) {
    return expect_ && expect_->arrived && expect_->hwnd == h && expect_->message == msg;
  };
  // The scheme every trace host starts from, so that colours compare: the system's own
  // scheme is the desktop's choice, not the control's behaviour.
  const auto& scheme = headless::default_system_colors();
  for (std::size_t i = 0; i < scheme.size(); ++i)
    c.platform.pin_sys_color(static_cast<int>(i), scheme[i]);
  // The runner's form has the platform's default font, as the server's container-less form
  // does; `ambient font` changes it.
  c.surface.set_ambient_font(Label::default_font());
  // A new control starts with the pointer off it, as a control placed on a form does.
  pointer_away();
  SetFocus(c.hwnd);
  pump(nullptr, kSettleMs);
}

// ---- Site: the container's side, as the script sets it ----

std::optional<bool> Win32Host::extender_bool(const wchar_t* name) {
  auto& s = static_cast<host::StoredSurface&>(control_->surface);
  return std::wstring_view(name) == L"Default" ? s.StoredSurface::extender_default()
                                               : s.StoredSurface::extender_cancel();
}

FontRef Win32Host::ambient_font() {
  return static_cast<host::StoredSurface&>(control_->surface).StoredSurface::ambient_font();
}

void Win32Host::property_changed(std::string_view) {}

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
      if (held_back(m)) {
        if (!expect || expect->arrived || m.message != expect->message || m.hwnd != expect->hwnd ||
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
      ++dispatching_;
      DispatchMessageW(&m);
      --dispatching_;
      if (expect && expect->arrived) return;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeout_ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms - elapsed, QS_ALLINPUT);
  }
}

POINT Win32Host::control_origin() const {
  POINT o{0, 0};
  ClientToScreen(control_->hwnd, &o);
  return o;
}

void Win32Host::fit() {
  const Raster& r = control_->surface.pixels();
  RECT now{};
  GetClientRect(control_->hwnd, &now);
  const int w = std::max(r.width, 1), h = std::max(r.height, 1);
  if (now.right != w || now.bottom != h)
    SetWindowPos(control_->hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Host::move_pointer(POINT screen) {
  SetCursorPos(screen.x, screen.y);
  pump(nullptr, kSettleMs);
}

bool Win32Host::over(POINT screen) const { return WindowFromPoint(screen) == control_->hwnd; }

bool Win32Host::deliver(INPUT* inputs, UINT count, Expect expect) {
  Control* c = control_.get();
  pump(nullptr, kSettleMs);  // nothing left over from before may pass for the answer
  c->status = {};
  if (SendInput(count, inputs, sizeof(INPUT)) != count) return false;
  pump(&expect, kDeliveryMs);
  return expect.arrived;
}

Status Win32Host::simulated(const std::string& why, const std::function<Status()>& step) {
  probe_->simulated(why);
  return step();
}

// ---- pointer ----

Status Win32Host::send_pointer(host::PointerAction action, host::PointerTarget target,
                               std::int16_t button, std::int16_t shift, float x, float y) {
  const std::string verb = verb_of(action);
  auto instead = [&](const std::string& why) {
    return simulated(verb + ": " + why, [&] {
      return control_->instance.pointer(action, target, button, shift, x, y);
    });
  };
  Control& c = *control_;
  fit();
  if (shift != 0) return instead("modifier keys would reach the control as keys of their own");
  const bool press = action != host::PointerAction::move;
  if (press && button != 1 && button != 2 && button != 4)
    return instead("no single real button is that button");
  if (!press && button != held_) return instead("the real buttons held are not those");
  float sx = x, sy = y;  // the point in the surface's twips
  if (target == host::PointerTarget::caption) {
    sx += c.label.left();
    sy += c.label.top();
  } else if (target == host::PointerTarget::picture) {
    sx += c.pic.left();
    sy += c.pic.top();
  }
  const auto px = whole_pixel(sx), py = whole_pixel(sy);
  if (!px || !py) return instead("the point is not a whole pixel");
  const Control::Routed r = c.route(*px, *py);
  if (r.target != target || r.x != x || r.y != y)
    return instead("the point lies on another part of the control");
  const POINT o = control_origin();
  const POINT s{o.x + *px, o.y + *py};
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
  UINT message = WM_MOUSEMOVE;
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
        break;
      case 2:
        in.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
        message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
      default:
        in.mi.dwFlags = down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
        message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    }
  }
  Control* target_control = &c;
  Expect e{message, c.hwnd, std::nullopt};
  e.lparam = MAKELPARAM(*px, *py);
  const bool arrived = deliver(&in, 1, e);
  if (press) {
    if (action == host::PointerAction::down)
      held_ = static_cast<std::int16_t>(held_ | button);
    else
      held_ = static_cast<std::int16_t>(held_ & ~button);
  }
  // The system pointer goes back where the script left it.
  if (control_) move_pointer(pointer_);
  if (!arrived) {
    if (control_.get() != target_control) return {};
    return instead("the system did not hand the input on");
  }
  return target_control->status;
}

void Win32Host::pointer_over() {
  fit();
  const Raster& r = control_->surface.pixels();
  const POINT o = control_origin();
  pointer_ = {o.x + r.width / 2, o.y + r.height / 2};
  move_pointer(pointer_);
}

void Win32Host::pointer_away() {
  // The screen's far corner: on the form, off the control unless the control covers the screen.
  pointer_ = {GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1};
  move_pointer(pointer_);
}

void Win32Host::pointer_at(int x, int y) {
  fit();
  const POINT o = control_origin();
  pointer_ = {o.x + x, o.y + y};
  move_pointer(pointer_);
}

// ---- keys ----

std::optional<std::string> Win32Host::key_refused(std::int16_t code, std::int16_t shift) {
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
  if (!IsWindowEnabled(control_->hwnd)) return "a disabled window takes no keyboard input";
  // The control is the form's only one: the keyboard focus goes back to it once it can have
  // it (disabling a window takes the focus away). Its notifications are the script's.
  if (GetFocus() != control_->hwnd) {
    SetFocus(control_->hwnd);
    pump(nullptr, kSettleMs);
  }
  if (GetFocus() != control_->hwnd) return "the control's window does not have the focus";
  return std::nullopt;
}

Status Win32Host::send_key(bool down, std::int16_t code, std::int16_t shift) {
  const std::string verb = down ? "key down" : "key up";
  auto step = [&] {
    return down ? control_->instance.key_down(code, shift) : control_->instance.key_up(code, shift);
  };
  if (const auto why = key_refused(code, shift)) return simulated(verb + ": " + *why, step);
  Control* c = control_.get();
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(code);
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(static_cast<UINT>(code), MAPVK_VK_TO_VSC));
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  if (!deliver(&in, 1,
               Expect{static_cast<UINT>(down ? WM_KEYDOWN : WM_KEYUP), c->hwnd,
                      static_cast<WPARAM>(code)}))
    return control_.get() == c ? simulated(verb + ": the system did not hand the key on", step)
                               : Status{};
  return c->status;
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
  auto step = [&] { return control_->instance.key_press(ascii); };
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
  if (!deliver(in, 2, Expect{WM_CHAR, c->hwnd, static_cast<WPARAM>(ascii)}))
    return control_.get() == c ? simulated("key press: the system did not hand it on", step)
                               : Status{};
  return c->status;
}

Status Win32Host::send_access(std::int16_t ascii) {
  // Access keys are the container's: it finds the control by its mnemonic and tells it. No
  // message of the control's own window carries them.
  return simulated("key access: the container delivers access keys itself",
                   [&] { return control_->instance.access_key(ascii); });
}

// ---- the timer ----

Status Win32Host::tick() {
  fit();
  Control* c = control_.get();
  // A stopped timer sends nothing, and the period passes without a step.
  if (!c->timer.enabled() || c->timer.interval() <= 0) return {};
  c->status = {};
  Expect e{WM_TIMER, c->hwnd, Timer::kId};
  pump(&e, static_cast<DWORD>(c->timer.interval()) * 3 + kDeliveryMs);
  if (!e.arrived)
    return control_.get() == c
               ? simulated("tick: Timer1 did not fire in time", [&] { return c->instance.tick(); })
               : Status{};
  return c->status;
}

// ---- colours, caption, snapshot ----

void Win32Host::set_sys_color(int index, OleColor rgb) {
  control_->platform.pin_sys_color(index, rgb);
}

void Win32Host::pin_label_size(float w, float h) { control_->label.pin_size(std::pair{w, h}); }

void Win32Host::snapshot(const std::string& png_path) {
  fit();
  Control& c = *control_;
  RedrawWindow(c.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  pump(nullptr, kSettleMs);
  const Raster& face = c.surface.pixels();
  const int w = face.width, h = face.height;
  if (w <= 0 || h <= 0) throw Error(errors::kInvalidProcedureCall, "The control has no pixels yet");
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Bitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib) throw Error(errors::kOutOfMemory, "Out of memory");
  {
    WindowDc window(c.hwnd);
    MemoryDc mem;
    Selection sel(mem.get(), dib.get());
    if (!BitBlt(mem.get(), 0, 0, w, h, window.get(), 0, 0, SRCCOPY))
      throw Error(errors::kDeviceIo, "The window's pixels cannot be read");
  }
  GdiFlush();
  const auto* src = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> px(src, src + static_cast<std::size_t>(w) * h);
  // What the window region leaves out is not the control's: transparent.
  Region shape(CreateRectRgn(0, 0, 0, 0));
  const bool shaped = GetWindowRgn(c.hwnd, shape.get()) != ERROR;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto& p = px[static_cast<std::size_t>(y) * w + x];
      p = (!shaped || PtInRegion(shape.get(), x, y)) ? (p | 0xFF000000u) : 0u;
    }
  png::write_file(png_path, png::encode(w, h, px));
}

}  // namespace brelund::ax::trace_win32
