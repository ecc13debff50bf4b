// Two controls in Wine's ATL host windows on a form driven by a dialog loop: keys go first to
// the UI-active control (TranslateAccelerator, as ATL containers forward them), then to
// IsDialogMessage, which moves the focus on Tab and turns Enter and Escape into IDOK and
// IDCANCEL for the form. All input is real (SendInput). The ATL host has no extender, so no
// control in it is a cancel button: Escape clicks neither (the cancel button of a form that has
// one is tested in client_form.cpp).
#include "client_com.h"

namespace client {

namespace {

using AxInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

struct Hosted {
  HWND host = nullptr;  // the AtlAxWin window
  HWND ctl = nullptr;   // the control's own window inside it
  ComPtr<IUnknown> control;
  Sink sink;
};

// Button presses that reach the ATL host window itself: what lies behind the control.
WNDPROC g_host_proc = nullptr;
int g_host_presses = 0;
LRESULT CALLBACK host_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_LBUTTONDOWN) ++g_host_presses;
  return CallWindowProcW(g_host_proc, w, msg, wp, lp);
}

int g_cancel_commands = 0;
LRESULT CALLBACK form_proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) ++g_cancel_commands;
  return DefWindowProcW(w, msg, wp, lp);
}

class DialogForm {
 public:
  explicit DialogForm(AxGetControl get_control) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = form_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BrelundDialogForm";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    form = CreateWindowExW(WS_EX_CONTROLPARENT, L"BrelundDialogForm", L"dialog",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 60, 60, 460, 200,
                           nullptr, nullptr, nullptr, nullptr);
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                           10, 150, 24, form, nullptr, nullptr, nullptr);
    host(ok, 180, 10, get_control);
    host(cancel, 180, 70, get_control);
    SetForegroundWindow(form);
    SetFocus(edit);
    pump(150);
  }
  ~DialogForm() {
    for (Hosted* h : {&ok, &cancel}) h->control.reset();
    DestroyWindow(form);
    pump(50);
  }
  DialogForm(const DialogForm&) = delete;
  DialogForm& operator=(const DialogForm&) = delete;

  void pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    while (GetTickCount() < end) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (forwarded(msg) || IsDialogMessageW(form, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(5);
    }
  }

  HWND form = nullptr, edit = nullptr;
  Hosted ok, cancel;

 private:
  // The control that has the focus sees its keys before the dialog handling does.
  bool forwarded(const MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    for (Hosted* h : {&ok, &cancel}) {
      if (!h->control || GetFocus() != h->ctl) continue;
      ComPtr<IOleInPlaceActiveObject> active =
          h->control.query<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
      MSG copy = msg;
      return active && active->TranslateAccelerator(&copy) == S_OK;
    }
    return false;
  }

  void host(Hosted& h, int x, int y, AxGetControl get_control) {
    h.host = CreateWindowExW(WS_EX_CONTROLPARENT, L"AtlAxWin", L"Brelund.Boton",
                             WS_CHILD | WS_VISIBLE, x, y, 120, 40, form, nullptr, nullptr, nullptr);
    if (!h.host || FAILED(get_control(h.host, h.control.put())) || !h.control)
      return check(false, "the ATL host made the control");
    g_host_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h.host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(host_proc)));
    h.ctl = window_of(h.control.get());
    advise(h.control.get(), h.sink);
  }
};

void key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

void click(HWND w, int x, int y) {
  POINT p{x, y};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

void focus(DialogForm& f, HWND w) {
  SetFocus(w);
  f.pump(60);
  f.ok.sink.clear();
  f.cancel.sink.clear();
}

}  // namespace

int atl_dialog_checks() {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = proc<AxInit>(atl, "AtlAxWinInit");
  auto get_control = proc<AxGetControl>(atl, "AtlAxGetControl");
  check(init && get_control && init(), "Wine's ATL host");
  if (!init || !get_control) return 1;
  DialogForm f(get_control);
  if (!f.ok.ctl || !f.cancel.ctl) return 1;

  // The pointer: a click in the middle clicks; one in a cut-away corner goes to the host
  // window behind the control and raises nothing.
  focus(f, f.edit);
  click(f.ok.ctl, 60, 20);
  f.pump(250);
  check_eq(f.ok.sink.count(1), 1, "a real click raises Click");
  g_host_presses = 0;
  focus(f, f.edit);
  click(f.ok.ctl, 1, 1);
  f.pump(250);
  check_eq(f.ok.sink.count(5), 0, "a corner click raises no MouseDown");
  check_eq(g_host_presses, 1, "the corner click reaches the window behind");

  // Tab moves the focus from the edit box into the first control, then the second.
  focus(f, f.edit);
  key(VK_TAB);
  f.pump(200);
  check(GetFocus() == f.ok.ctl, "Tab from the edit box focuses the first control");
  key(VK_TAB);
  f.pump(200);
  check(GetFocus() == f.cancel.ctl, "Tab moves on to the second control");

  // Space and Enter on the focused button click it once.
  for (WORD vk : {WORD{VK_SPACE}, WORD{VK_RETURN}}) {
    focus(f, f.ok.ctl);
    key(vk);
    f.pump(250);
    const char* what = vk == VK_SPACE ? "Space clicks the focused button once"
                                      : "Enter clicks the focused button once";
    check_eq(f.ok.sink.count(1), 1, what);
    check(f.ok.sink.count(2) == 1 && f.ok.sink.count(4) == 1, what, "want one KeyDown and KeyUp");
  }

  // Escape on a control that is not a cancel button does not click it: the dialog handling
  // takes it for the form.
  for (Hosted* h : {&f.ok, &f.cancel}) {
    focus(f, h->ctl);
    g_cancel_commands = 0;
    key(VK_ESCAPE);
    f.pump(250);
    check_eq(h->sink.count(1), 0, "Escape does not click a button that is not Cancel");
    check_eq(g_cancel_commands, 1, "Escape reaches the form as IDCANCEL");
  }
  return 0;
}

}  // namespace client
