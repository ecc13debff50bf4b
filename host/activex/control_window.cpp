// The control's own window: painted from the retained face with the picture and caption over
// it, shaped by the mask, and the source of the pointer, keyboard, focus and timer
// notifications, each translated into one step of the control's instance.
#include <windowsx.h>

#include <utility>

#include "brelund/units.h"
#include "host/activex/boton_object.h"
#include "host/activex/utf16.h"
#include "render/colour.h"

namespace brelund::ax {

namespace {

constexpr const wchar_t* kWindowClass = L"BrelundBoton";
ATOM g_class = 0;

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  // The object holds itself for the message (see on_message); nothing here touches it after.
  auto* self = reinterpret_cast<BotonObject*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->on_message(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

std::int16_t shift_state() {
  std::int16_t s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= 1;
  if (GetKeyState(VK_CONTROL) < 0) s |= 2;
  if (GetKeyState(VK_MENU) < 0) s |= 4;
  return s;
}

std::int16_t buttons_of(WPARAM wp) {
  std::int16_t b = 0;
  if (wp & MK_LBUTTON) b |= 1;
  if (wp & MK_RBUTTON) b |= 2;
  if (wp & MK_MBUTTON) b |= 4;
  return b;
}

std::int16_t button_of(UINT msg, WPARAM wp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      return 2;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      return 4;
    default:
      return buttons_of(wp);
  }
}

}  // namespace

void register_window_class() {
  if (g_class) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = module_instance();
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kWindowClass;
  g_class = RegisterClassExW(&wc);
  if (!g_class) throw Error(errors::kInvalidProcedureCall, "The window class cannot be registered");
}

HWND create_control_window(HWND parent, const RECT& r, BotonObject* owner) {
  register_window_class();
  return CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP,
                         r.left, r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                         module_instance(), owner);
}

void unregister_window_class() noexcept {
  if (g_class) UnregisterClassW(kWindowClass, module_instance());
  g_class = 0;
}

void BotonObject::destroy_window() noexcept {
  if (!hwnd_) return;
  disconnect_reader();
  const HWND w = std::exchange(hwnd_, nullptr);
  timer_.set_window(nullptr);
  surface_.set_window(nullptr);
  // Our own destruction sends its messages to the default procedure only.
  SetWindowLongPtrW(w, GWLP_USERDATA, 0);
  DestroyWindow(w);
}

// Someone else destroyed the window (a handler, or the form with all its children).
void BotonObject::window_destroyed() noexcept {
  if (!hwnd_) return;
  disconnect_reader();
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  timer_.set_window(nullptr);
  surface_.set_window(nullptr);
  hwnd_ = nullptr;
  // on_message holds one step of its own for the message that told us.
  if (steps_ > 1) instance_.retire();
}

void BotonObject::paint(HDC dc, const RECT& to) {
  const Raster& face_pixels = surface_.pixels();
  const int w = face_pixels.width, h = face_pixels.height;
  if (w <= 0 || h <= 0) return;
  Raster face = face_pixels;
  // Drawn before it was ever shown (a container's preview or snapshot), the control has no
  // face yet: it shows its back colour, as an empty control would, rather than black.
  if (!surface_.drawn()) {
    const auto back = static_cast<std::uint32_t>(SysColorToRgb(platform_, surface_.back_color()));
    const std::uint32_t argb =
        0xFF000000u | (back & 0xFFu) << 16 | (back & 0xFF00u) | (back >> 16 & 0xFFu);
    std::fill(face.pixels.begin(), face.pixels.end(), argb);
  }
  const ComposedFace composed(std::move(face), pic_, label_, platform_);
  SavedDc saved(dc);
  const int tw = to.right - to.left, th = to.bottom - to.top;
  // Only the button's own pixels are drawn: what the mask cuts away stays the container's. In
  // our own window the window region does that already.
  if (!hwnd_ || WindowFromDC(dc) != hwnd_) {
    POINT corners[2] = {{to.left, to.top}, {to.right, to.bottom}};
    LPtoDP(dc, corners, 2);
    const XFORM xf{static_cast<FLOAT>(corners[1].x - corners[0].x) / static_cast<FLOAT>(w),
                   0,
                   0,
                   static_cast<FLOAT>(corners[1].y - corners[0].y) / static_cast<FLOAT>(h),
                   static_cast<FLOAT>(corners[0].x),
                   static_cast<FLOAT>(corners[0].y)};
    if (Region shape = surface_.shape_region(&xf)) ExtSelectClipRgn(dc, shape.get(), RGN_AND);
  }
  if (tw == w && th == h) {
    BitBlt(dc, to.left, to.top, w, h, composed.dc(), 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, to.left, to.top, tw, th, composed.dc(), 0, 0, w, h, SRCCOPY);
  }
}

// The window reports the point in its own pixels; the instance decides which part gets it (the
// caption and the picture are windowless children) and keeps the part that was pressed while a
// button is held. The window holds the system's capture for as long, so that moves and the
// release keep arriving when the pointer leaves it.
void BotonObject::pointer(UINT msg, WPARAM wp, LPARAM lp) {
  const float x = units::twips_of_pixels(GET_X_LPARAM(lp));
  const float y = units::twips_of_pixels(GET_Y_LPARAM(lp));
  const std::int16_t shift = shift_state(), button = button_of(msg, wp);
  auto action = host::PointerAction::down;
  switch (msg) {
    case WM_MOUSEMOVE:
      action = host::PointerAction::move;
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      action = host::PointerAction::up;
      // The capture ends with the last button held.
      if (buttons_of(wp) == 0 && GetCapture() == hwnd_) ReleaseCapture();
      break;
    default:
      SetCapture(hwnd_);
      take_focus();
      if (!hwnd_ || instance_.retired()) return;
      break;
  }
  raise_on_failure(instance_.pointer(action, button, shift, x, y));
}

void BotonObject::focus_changed(bool in) {
  if (ComPtr<IOleControlSite> cs = site_.query<IOleControlSite>(IID_IOleControlSite))
    cs->OnFocus(in);
  notify_reader(in ? EVENT_OBJECT_FOCUS : EVENT_OBJECT_STATECHANGE);
  if (in && activation_ == Activation::in_place) ui_activate();
  if (window_focus_steps_) raise_on_failure(in ? instance_.focus_in() : instance_.focus_out());
}

LRESULT BotonObject::on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const Step step(*this);
  // The window procedure is a boundary of its own: a failing step ends there, told only to a
  // tool that watches the control.
  Status status;
  struct Told {
    DiagnosticWatcher& watcher;
    const Status& status;
    ~Told() { watcher.failed(status); }
  } told{diagnostics_, status};
  switch (msg) {
    case WM_PAINT: {
      PaintScope ps(hwnd);
      RECT client{};
      GetClientRect(hwnd, &client);
      status = guarded([&] { paint(ps.dc(), client); });
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      status = guarded([&] { pointer(msg, wp, lp); });
      return 0;
    case WM_KEYDOWN:
      status = instance_.key_down(static_cast<std::int16_t>(wp), shift_state());
      return 0;
    case WM_KEYUP:
      status = instance_.key_up(static_cast<std::int16_t>(wp), shift_state());
      return 0;
    case WM_CHAR:
      status = instance_.key_press(static_cast<std::int16_t>(wp));
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      status = guarded([&] { focus_changed(msg == WM_SETFOCUS); });
      return 0;
    case WM_TIMER:
      if (wp == Timer::kId) status = instance_.tick();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT && set_pointer_shape()) return TRUE;
      return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_GETOBJECT:
      return get_object(wp, lp);
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_WANTCHARS;
    case WM_DESTROY:
      window_destroyed();
      return DefWindowProcW(hwnd, msg, wp, lp);
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace brelund::ax
