// The control's own window: created on in-place activation inside the container's window,
// painted from the retained face with the picture and caption over it, shaped by the mask, and
// the source of the pointer, keyboard, focus and timer notifications the control works from.
#include <windowsx.h>

#include <cmath>

#include "brelund/units.h"
#include "host/activex/boton_object.h"
#include "host/activex/text.h"
// The colour helpers keep their published name RGB, which windows.h takes as a macro.
#undef RGB
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
  auto* self = reinterpret_cast<BotonObject*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return self ? self->on_message(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

void register_class() {
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

int px(float twips) { return static_cast<int>(std::floor(twips / 15.0f)); }

}  // namespace

void unregister_window_class() noexcept {
  if (g_class) UnregisterClassW(kWindowClass, module_instance());
  g_class = 0;
}

void BotonObject::activate(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui) {
  ensure_initialised();
  if (!hwnd_) {
    RECT r = pos ? *pos
                 : RECT{0, 0, units::extent_pixels(surface_.width()),
                        units::extent_pixels(surface_.height())};
    ComPtr<IOleInPlaceSite> ips =
        ComPtr<IOleClientSite>(site).query<IOleInPlaceSite>(IID_IOleInPlaceSite);
    if (ips) {
      if (ips->CanInPlaceActivate() != S_OK)
        throw Error(errors::kNotSupported, "The container refuses activation");
      ips->OnInPlaceActivate();
      HWND w = nullptr;
      if (SUCCEEDED(ips->GetWindow(&w)) && w) parent = w;
      ComPtr<IOleInPlaceFrame> frame;
      ComPtr<IOleInPlaceUIWindow> doc;
      RECT p{}, clip{};
      OLEINPLACEFRAMEINFO info{};
      info.cb = sizeof(info);
      if (SUCCEEDED(ips->GetWindowContext(frame.put(), doc.put(), &p, &clip, &info))) r = p;
      inplace_site_ = ips;
    }
    if (!parent) throw Error(errors::kInvalidProcedureCall, "There is no window to activate in");
    register_class();
    hwnd_ = CreateWindowExW(0, kWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, parent, nullptr,
                            module_instance(), this);
    if (!hwnd_) throw Error(errors::kInvalidProcedureCall, "The control's window cannot be made");
    surface_.set_window(hwnd_);
    timer_.set_window(hwnd_);
    resize_to_pixels(r.right - r.left, r.bottom - r.top);
    control_->Show();
  } else {
    ShowWindow(hwnd_, SW_SHOW);
  }
  if (ui) {
    if (inplace_site_) inplace_site_->OnUIActivate();
    SetFocus(hwnd_);
  }
}

void BotonObject::destroy_window() noexcept {
  if (!hwnd_) return;
  timer_.set_window(nullptr);
  surface_.set_window(nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

void BotonObject::paint(HDC dc, int x, int y) {
  Raster face = surface_.pixels();
  if (pic_.visible()) {
    if (const PictureRef p = pic_.picture(); p && p->handle != 0)
      blend(face, p->pixels.data(), p->width, p->height, px(pic_.left()), px(pic_.top()));
  }
  SavedDc saved(dc);
  // Only the button's own pixels are drawn: what the mask cuts away stays the container's.
  if (Region shape = surface_.shape_region()) {
    if (!hwnd_ || WindowFromDC(dc) != hwnd_) {
      OffsetRgn(shape.get(), x, y);
      POINT org{};
      GetWindowOrgEx(dc, &org);
      OffsetRgn(shape.get(), -org.x, -org.y);
      ExtSelectClipRgn(dc, shape.get(), RGN_AND);
    }
  }
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), face.width, -face.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(face.width), static_cast<DWORD>(face.height), 0, 0,
                    0, static_cast<UINT>(face.height), face.pixels.data(), &bi, DIB_RGB_COLORS);
  if (const FontRef font = label_.font()) {
    FontHandle f(create_gdi_font(*font));
    Selection sel(dc, f.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, static_cast<COLORREF>(SysColorToRgb(platform_, label_.fore_color())));
    const std::wstring text = widen(label_.caption());
    TextOutW(dc, x + px(label_.left()), y + px(label_.top()), text.c_str(),
             static_cast<int>(text.size()));
  }
}

void BotonObject::pointer(UINT msg, WPARAM wp, LPARAM lp) {
  const int mx = GET_X_LPARAM(lp), my = GET_Y_LPARAM(lp);
  float X = static_cast<float>(mx * 15), Y = static_cast<float>(my * 15);
  // Over the caption or the picture the coordinates are the child's own, as the control's
  // children report them.
  auto inside = [&](float l, float t, float w, float h) {
    return X >= l && Y >= t && X < l + w && Y < t + h;
  };
  if (pic_.visible() && pic_.enabled() &&
      inside(pic_.left(), pic_.top(), pic_.width(), pic_.height())) {
    X -= pic_.left();
    Y -= pic_.top();
  } else if (inside(label_.left(), label_.top(), label_.width(), label_.height())) {
    X -= label_.left();
    Y -= label_.top();
  }
  std::int16_t shift = shift_state();
  std::int16_t button = 0;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      button = 1;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_RBUTTONUP:
      button = 2;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_MBUTTONUP:
      button = 4;
      break;
    case WM_LBUTTONUP:
      button = 1;
      break;
    default:
      button = buttons_of(wp);
      break;
  }
  switch (msg) {
    case WM_MOUSEMOVE:
      control_->MouseMove(button, shift, X, Y);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == hwnd_) ReleaseCapture();
      control_->MouseUp(button, shift, X, Y);
      break;
    default:
      // Moves keep arriving while the button is held outside the control.
      SetCapture(hwnd_);
      if (GetFocus() != hwnd_) SetFocus(hwnd_);
      control_->MouseDown(button, shift, X, Y);
      break;
  }
}

LRESULT BotonObject::on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  // The window procedure is a boundary of its own: a failing step ends there, with nobody
  // to hand the error to.
  Status status;
  switch (msg) {
    case WM_PAINT: {
      PaintScope ps(hwnd);
      status = guarded([&] { paint(ps.dc(), 0, 0); });
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
    case WM_KEYDOWN: {
      std::int16_t key = static_cast<std::int16_t>(wp), shift = shift_state();
      status = guarded([&] { control_->KeyDown(key, shift); });
      return 0;
    }
    case WM_KEYUP: {
      std::int16_t key = static_cast<std::int16_t>(wp), shift = shift_state();
      status = guarded([&] { control_->KeyUp(key, shift); });
      return 0;
    }
    case WM_CHAR: {
      std::int16_t ascii = static_cast<std::int16_t>(wp);
      status = guarded([&] { control_->KeyPress(ascii); });
      return 0;
    }
    case WM_SETFOCUS:
      status = guarded([&] {
        control_->EnterFocus();
        control_->GotFocus();
      });
      return 0;
    case WM_KILLFOCUS:
      status = guarded([&] {
        control_->LostFocus();
        control_->ExitFocus();
      });
      return 0;
    case WM_TIMER:
      if (wp == Timer::kId) status = guarded([&] { control_->Timer1_Timer(); });
      return 0;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_WANTCHARS;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace brelund::ax
