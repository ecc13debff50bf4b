// The control's window in the trace runner: painted like the server's (the retained face, the
// picture and the caption over it, shaped by the mask) and turning its input and timer messages
// into the instance's steps. Focus messages are not turned into steps: in the trace the focus
// notifications are the container's, and the script gives them.
#include <windowsx.h>

#include "brelund/units.h"
#include "host/activex/ole_values.h"
#include "host/activex/text.h"
#include "host/activex/trace/win32_trace_host.h"
#include "render/colour.h"

namespace brelund::ax::trace_win32 {

namespace {

constexpr const wchar_t* kClass = L"BrelundTraceControl";

LRESULT CALLBACK control_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->on_message(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

void register_class() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = control_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc);
  }();
  if (!atom) throw Error(errors::kInvalidProcedureCall, "The window class cannot be registered");
}

std::int16_t shift_state() {
  std::int16_t s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

std::int16_t held_buttons(WPARAM wp) {
  std::int16_t b = 0;
  if (wp & MK_LBUTTON) b |= 1;
  if (wp & MK_RBUTTON) b |= 2;
  if (wp & MK_MBUTTON) b |= 4;
  return b;
}

}  // namespace

Control::Control(Site& site, host::EventSink& application, trace::Probe&, HWND form)
    : surface(site), instance(surface, label, pic, mask, timer, platform, application) {
  register_class();
  hwnd = CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 100, 100, 1, 1,
                         form, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd) throw Error(errors::kInvalidProcedureCall, "The control's window cannot be made");
  surface.set_window(hwnd);
  timer.set_window(hwnd);
}

Control::~Control() {
  timer.set_window(nullptr);
  surface.set_window(nullptr);
  if (hwnd) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
}

Control::Routed Control::route(int px, int py) {
  float x = units::twips_of_pixels(px), y = units::twips_of_pixels(py);
  // The caption and picture are windowless: whichever lies under the point reports it, in its
  // own coordinates, as in the server's window. A disabled picture reports nothing itself.
  auto inside = [&](float l, float t, float w, float h) {
    return x >= l && y >= t && x < l + w && y < t + h;
  };
  if (pic.visible() && pic.enabled() && inside(pic.left(), pic.top(), pic.width(), pic.height()))
    return {host::PointerTarget::picture, x - pic.left(), y - pic.top()};
  if (inside(label.left(), label.top(), label.width(), label.height()))
    return {host::PointerTarget::caption, x - label.left(), y - label.top()};
  return {host::PointerTarget::surface, x, y};
}

void Control::paint(HDC dc) {
  const Raster& face = surface.pixels();
  if (face.width <= 0 || face.height <= 0) return;
  const ComposedFace composed(face, pic, label, platform);
  BitBlt(dc, 0, 0, face.width, face.height, composed.dc(), 0, 0, SRCCOPY);
}

LRESULT Control::on_message(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  const bool input = (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
                     (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || msg == WM_TIMER;
  if (input && scripted && !scripted(h, msg)) return 0;
  switch (msg) {
    case WM_PAINT: {
      PaintScope ps(h);
      guarded([&] { paint(ps.dc()); });
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      const Routed r = route(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      auto action = host::PointerAction::move;
      std::int16_t button = held_buttons(wp);
      if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) {
        action = host::PointerAction::down;
        // Moves keep arriving while the button is held outside the control.
        SetCapture(h);
      } else if (msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP) {
        action = host::PointerAction::up;
        if (GetCapture() == h) ReleaseCapture();
      }
      if (action != host::PointerAction::move)
        button = msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP   ? 1
                 : msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP ? 2
                                                                : 4;
      status = instance.pointer(action, r.target, button, shift_state(), r.x, r.y);
      return 0;
    }
    case WM_KEYDOWN:
      status = instance.key_down(static_cast<std::int16_t>(wp), shift_state());
      return 0;
    case WM_KEYUP:
      status = instance.key_up(static_cast<std::int16_t>(wp), shift_state());
      return 0;
    case WM_CHAR:
      status = instance.key_press(static_cast<std::int16_t>(wp));
      return 0;
    case WM_TIMER:
      if (wp == Timer::kId) status = instance.tick();
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

}  // namespace brelund::ax::trace_win32
