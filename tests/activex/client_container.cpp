// The control in a real container, Wine's ATL host window (AtlAxWin), on a shown form: it is
// activated in place, resized, clicked, pressed by a handler that cancels the press, hit-tested
// at a cut-away corner, and saved and loaded through the container.
#include "client_com.h"
#include "host/activex/gdi.h"

namespace client {

namespace {

using AxInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);
using AxCreateControlEx = HRESULT(WINAPI*)(LPCOLESTR, HWND, IStream*, IUnknown**, IUnknown**,
                                           REFIID, IUnknown*);

HWND control_window(IUnknown* control) {
  ComPtr<IOleWindow> w = ComPtr<IUnknown>(control).query<IOleWindow>(IID_IOleWindow);
  HWND h = nullptr;
  if (w) w->GetWindow(&h);
  return h;
}

// Counts the window-position changes sent to one window: setting a window's region sends one.
HWND g_counted = nullptr;
int g_position_changes = 0;
LRESULT CALLBACK count_position_changes(int code, WPARAM wp, LPARAM lp) {
  const auto* m = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && m->hwnd == g_counted && m->message == WM_WINDOWPOSCHANGING)
    ++g_position_changes;
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Left press and release at control pixel (x, y), with the system pointer there too.
void click_at(HWND ctl, int x, int y, bool release = true) {
  POINT p{x, y};
  ClientToScreen(ctl, &p);
  SetCursorPos(p.x, p.y);
  pump(50);
  SendMessageW(ctl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  if (release) SendMessageW(ctl, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  pump(20);
}

// Pressed faces are dark at the top and light at the bottom; released ones the other way.
bool looks_pressed(IUnknown* control, int w, int h) {
  std::vector<unsigned> px = draw(control, w, h, 0xFF00FF);
  auto lum = [&](int y) {
    const unsigned c = px[static_cast<std::size_t>(y) * w + w / 2];
    return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255);
  };
  return lum(2) < lum(h - 3);
}

}  // namespace

int container_checks() {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = proc<AxInit>(atl, "AtlAxWinInit");
  auto get_control = proc<AxGetControl>(atl, "AtlAxGetControl");
  auto create_ex = proc<AxCreateControlEx>(atl, "AtlAxCreateControlEx");
  check(init && get_control && create_ex && init(), "Wine's ATL host");
  if (!init || !get_control || !create_ex) return 1;

  HWND form =
      CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 50,
                      50, 420, 300, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"Brelund.Boton", WS_CHILD | WS_VISIBLE, 20, 20, 197,
                              57, form, nullptr, nullptr, nullptr);
  check(host != nullptr, "AtlAxWin window");
  pump(200);
  ComPtr<IUnknown> control;
  check(host && SUCCEEDED(get_control(host, control.put())) && control,
        "the container made the control");
  if (!control) return 1;
  ComPtr<IDispatch> d = control.query<IDispatch>(IID_IDispatch);
  HWND ctl = control_window(control.get());
  check(ctl && GetParent(ctl) == host, "activated in place inside the container");
  Sink sink;
  advise(control.get(), sink);

  // Resize through the container.
  MoveWindow(host, 20, 20, 160, 50, TRUE);
  pump(100);
  RECT rc{};
  GetClientRect(ctl, &rc);
  check(rc.right == 160 && rc.bottom == 50, "the control follows the container's size");
  check(sink.count(8) >= 1, "Resize raised");

  // Hover: the pointer over the button lights it and starts Timer1; once the pointer has gone,
  // the next tick finds it elsewhere (GetCursorPos, WindowFromPoint) and paints it unlit again.
  auto brightness = [&] {
    std::vector<unsigned> px = draw(control.get(), 160, 50, 0);
    const unsigned c = px[25 * 160 + 80];
    return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255);
  };
  const unsigned resting = brightness();
  POINT over{80, 25};
  ClientToScreen(ctl, &over);
  SetCursorPos(over.x, over.y);
  pump(50);
  SendMessageW(ctl, WM_MOUSEMOVE, 0, MAKELPARAM(80, 25));
  const unsigned lit = brightness();
  check(lit > resting, "the pointer over the button lights it");
  SetCursorPos(5, 5);
  pump(400);
  check(brightness() == resting, "a timer tick after the pointer left paints it unlit");

  // A click over the button raises Click, between MouseDown and MouseUp.
  sink.clear();
  click_at(ctl, 80, 25);
  check_eq(sink.count(1), 1, "Click raised");
  check(sink.count(5) == 1 && sink.count(7) == 1, "MouseDown and MouseUp raised");
  // Pointer moves may come in between; the press, the click and the release keep their order.
  std::vector<DISPID> order;
  long button = -1;
  for (const EventRecord& e : sink.events) {
    if (e.id == 6) continue;
    order.push_back(e.id);
    if (e.id == 5 && !e.ints.empty()) button = e.ints[0];
  }
  check(order == std::vector<DISPID>{5, 1, 7}, "MouseDown, Click, MouseUp in this order");
  check_eq(button, 1L, "MouseDown with Button 1");
  check(sink.all_by_reference, "mouse arguments by reference");

  // A press is shown pressed; a handler that sets Button to 0 in MouseDown stops the press.
  click_at(ctl, 80, 25, false);
  check(looks_pressed(control.get(), 160, 50), "a held button is drawn pressed");
  SendMessageW(ctl, WM_LBUTTONUP, 0, MAKELPARAM(80, 25));
  check(!looks_pressed(control.get(), 160, 50), "a released button is drawn released");
  sink.on_event = [](DISPID id, DISPPARAMS* p) {
    if (id == 5) *V_I2REF(&p->rgvarg[3]) = 0;
  };
  click_at(ctl, 80, 25, false);
  check(!looks_pressed(control.get(), 160, 50), "Button set to 0 in MouseDown stops the press");
  SendMessageW(ctl, WM_LBUTTONUP, 0, MAKELPARAM(80, 25));
  sink.on_event = nullptr;

  // The cut-away corner belongs to the container's window; the middle to the control's.
  POINT corner{0, 0}, middle{80, 25};
  ClientToScreen(ctl, &corner);
  ClientToScreen(ctl, &middle);
  check(WindowFromPoint(corner) == host, "a transparent corner belongs to the container");
  check(WindowFromPoint(middle) == ctl, "the middle belongs to the control");

  // A new caption rebuilds the button with its shape unchanged: the window keeps its region and
  // is not framed again. A new corner size gives it a new region.
  auto region_has = [&](int x, int y) {
    brelund::ax::Region rgn(CreateRectRgn(0, 0, 0, 0));
    return GetWindowRgn(ctl, rgn.get()) != ERROR && PtInRegion(rgn.get(), x, y);
  };
  const bool corner_before = region_has(2, 2);
  HHOOK hook =
      SetWindowsHookExW(WH_CALLWNDPROC, count_position_changes, nullptr, GetCurrentThreadId());
  g_counted = ctl;
  VARIANT s = string_value(L"Desde el contenedor");
  put(d.get(), L"Caption", s);
  VariantClear(&s);
  check(g_position_changes == 0, "a new caption leaves the window's region as it is");
  put(d.get(), L"RoundSize", long_value(12));
  check(g_position_changes > 0, "a new corner size sets the window's region");
  g_counted = nullptr;
  UnhookWindowsHookEx(hook);
  check(!corner_before && region_has(2, 2) && region_has(80, 25),
        "the smaller corner's region reaches nearer the corner");

  pointer_shape_checks(d.get(), ctl, "ATL host");

  // Save through the control's stream persistence, load into a second container.
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  ComPtr<IPersistStreamInit> ps = control.query<IPersistStreamInit>(IID_IPersistStreamInit);
  check(ps && SUCCEEDED(ps->Save(stream.get(), TRUE)), "saved from the container");
  stream->Seek({}, STREAM_SEEK_SET, nullptr);
  HWND host2 = CreateWindowExW(0, L"AtlAxWin", L"", WS_CHILD | WS_VISIBLE, 20, 120, 197, 57, form,
                               nullptr, nullptr, nullptr);
  ComPtr<IUnknown> container2, control2;
  check_hr(create_ex(L"Brelund.Boton", host2, stream.get(), container2.put(), control2.put(),
                     IID_NULL, nullptr),
           "AtlAxCreateControlEx with saved properties");
  ComPtr<IDispatch> d2 = control2.query<IDispatch>(IID_IDispatch);
  check(d2 && get_string(d2.get(), L"Caption") == L"Desde el contenedor",
        "Caption loaded by the container");
  check(d2 && get_long(d2.get(), L"RoundSize") == 12, "RoundSize loaded by the container");

  d2.reset();
  control2.reset();
  container2.reset();
  d.reset();
  control.reset();
  DestroyWindow(host2);
  DestroyWindow(host);
  DestroyWindow(form);
  pump(50);
  return 0;
}

}  // namespace client
