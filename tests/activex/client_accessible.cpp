// The control as a screen reader meets it through Wine's oleacc: in Wine's ATL host window and
// in a form of our own (client_site.h, with an extender that makes it the default button).
// Every answer, the bad input and the object outliving the control are checked with exact
// HRESULTs; the name, state and focus changes are watched with a WinEvent hook.
#include <oleacc.h>

#include <vector>

#include "client_com.h"
#include "client_site.h"
#include "host/activex/accessible.h"
#include "typelib/brelund_h.h"

namespace client {

namespace {

using brelund::ax::kIidAccessible;
using AxInit = BOOL(WINAPI*)();
using AxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

struct SeenEvent {
  DWORD event;
  HWND hwnd;
  LONG object, child;
};
std::vector<SeenEvent> g_events;

void CALLBACK on_win_event(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                           DWORD) {
  g_events.push_back({event, hwnd, object, child});
}

int seen(DWORD event, HWND hwnd) {
  int n = 0;
  for (const SeenEvent& e : g_events)
    n += e.event == event && e.hwnd == hwnd && e.object == OBJID_CLIENT && e.child == CHILDID_SELF;
  return n;
}

VARIANT self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::wstring text_of(BSTR b) { return b ? std::wstring(b, SysStringLen(b)) : L"(none)"; }

std::string narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

void check_text(HRESULT hr, BSTR b, const wchar_t* want, const char* what, int line) {
  check_hr_is(hr, S_OK, what, line);
  if (text_of(b) != want)
    check(false, what,
          "line " + std::to_string(line) + ": got \"" + narrow(text_of(b)) + "\", want \"" +
              narrow(want) + "\"");
}
#define CHECK_TEXT(call_with_out, want, what)            \
  do {                                                   \
    brelund::ax::Bstr b_;                                \
    const HRESULT hr_ = (call_with_out);                 \
    check_text(hr_, b_.get(), (want), (what), __LINE__); \
  } while (0)

long state_of(IAccessible* acc) {
  VARIANT v;
  VariantInit(&v);
  CHECK_HR(acc->get_accState(self(), &v), S_OK, "get_accState");
  return v.vt == VT_I4 ? v.lVal : -1;
}

ComPtr<IAccessible> reader_of(HWND ctl) {
  ComPtr<IAccessible> acc;
  CHECK_HR(AccessibleObjectFromWindow(ctl, static_cast<DWORD>(OBJID_CLIENT), kIidAccessible,
                                      acc.put_void()),
           S_OK, "AccessibleObjectFromWindow(OBJID_CLIENT)");
  return acc;
}

// Every member that names a child, called with `child`: each must answer `want`. A member
// given a NULL out pointer answers E_INVALIDARG whatever the child.
void each_member(IAccessible* acc, const VARIANT& child, HRESULT want, const char* what) {
  BSTR b = nullptr;
  VARIANT v;
  VariantInit(&v);
  LONG n = 0;
  const struct {
    const char* member;
    HRESULT got;
  } calls[] = {
      {"get_accName", acc->get_accName(child, &b)},
      {"get_accValue", acc->get_accValue(child, &b)},
      {"get_accDescription", acc->get_accDescription(child, &b)},
      {"get_accRole", acc->get_accRole(child, &v)},
      {"get_accState", acc->get_accState(child, &v)},
      {"get_accHelp", acc->get_accHelp(child, &b)},
      {"get_accHelpTopic", acc->get_accHelpTopic(&b, child, &n)},
      {"get_accKeyboardShortcut", acc->get_accKeyboardShortcut(child, &b)},
      {"get_accDefaultAction", acc->get_accDefaultAction(child, &b)},
      {"accLocation", acc->accLocation(&n, &n, &n, &n, child)},
      {"accNavigate", acc->accNavigate(NAVDIR_NEXT, child, &v)},
      {"accSelect", acc->accSelect(SELFLAG_TAKEFOCUS, child)},
      {"accDoDefaultAction", acc->accDoDefaultAction(child)},
  };
  for (const auto& c : calls)
    if (c.got != want)
      check(false, what, std::string(c.member) + ": HRESULT " + hex(c.got) + ", want " + hex(want));
}

void null_outs(IAccessible* acc) {
  LONG n = 0;
  const VARIANT me = self();
  const struct {
    const char* member;
    HRESULT got;
  } calls[] = {
      {"get_accParent", acc->get_accParent(nullptr)},
      {"get_accChildCount", acc->get_accChildCount(nullptr)},
      {"get_accChild", acc->get_accChild(me, nullptr)},
      {"get_accName", acc->get_accName(me, nullptr)},
      {"get_accValue", acc->get_accValue(me, nullptr)},
      {"get_accDescription", acc->get_accDescription(me, nullptr)},
      {"get_accRole", acc->get_accRole(me, nullptr)},
      {"get_accState", acc->get_accState(me, nullptr)},
      {"get_accHelp", acc->get_accHelp(me, nullptr)},
      {"get_accHelpTopic", acc->get_accHelpTopic(nullptr, me, &n)},
      {"get_accKeyboardShortcut", acc->get_accKeyboardShortcut(me, nullptr)},
      {"get_accFocus", acc->get_accFocus(nullptr)},
      {"get_accSelection", acc->get_accSelection(nullptr)},
      {"get_accDefaultAction", acc->get_accDefaultAction(me, nullptr)},
      {"accLocation", acc->accLocation(&n, &n, &n, nullptr, me)},
      {"accNavigate", acc->accNavigate(NAVDIR_NEXT, me, nullptr)},
      {"accHitTest", acc->accHitTest(0, 0, nullptr)},
  };
  for (const auto& c : calls)
    if (c.got != E_INVALIDARG)
      check(false, "a NULL out pointer", std::string(c.member) + ": HRESULT " + hex(c.got));
}

// The input a reader must never crash on, for every member.
void bad_input_checks(IAccessible* acc, HWND ctl) {
  VARIANT other = self();
  other.lVal = 1;
  each_member(acc, other, E_INVALIDARG, "a child id other than CHILDID_SELF");
  other.lVal = -5;
  each_member(acc, other, E_INVALIDARG, "a negative child id");
  VARIANT wrong;
  VariantInit(&wrong);
  wrong.vt = VT_R8;
  wrong.dblVal = 0;
  each_member(acc, wrong, E_INVALIDARG, "a VARIANT of the wrong type (VT_R8)");
  VariantInit(&wrong);
  each_member(acc, wrong, E_INVALIDARG, "a VARIANT of the wrong type (VT_EMPTY)");
  wrong.vt = VT_I4 | VT_BYREF;
  LONG self_id = CHILDID_SELF;
  wrong.plVal = &self_id;
  each_member(acc, wrong, E_INVALIDARG, "a VARIANT of the wrong type (VT_I4 | VT_BYREF)");
  null_outs(acc);
  // Object ids other than the client's are the default handler's, which has none of its own.
  check_eq(SendMessageW(ctl, WM_GETOBJECT, 0, 1), LRESULT{0}, "WM_GETOBJECT for object id 1");
  check_eq(SendMessageW(ctl, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CARET)), LRESULT{0},
           "WM_GETOBJECT for OBJID_CARET");
}

// The reader kept its object; the control is gone: every member says so, none touches it.
void gone_checks(IAccessible* acc, const char* where) {
  std::printf("accessible: after the control went, %s\n", where);
  each_member(acc, self(), RPC_E_DISCONNECTED, "a call after the control went");
  IDispatch* parent = nullptr;
  LONG n = 0;
  VARIANT v;
  VariantInit(&v);
  CHECK_HR(acc->get_accParent(&parent), RPC_E_DISCONNECTED, "the parent of a gone control");
  CHECK_HR(acc->get_accChildCount(&n), RPC_E_DISCONNECTED, "the children of a gone control");
  CHECK_HR(acc->get_accFocus(&v), RPC_E_DISCONNECTED, "the focus of a gone control");
  CHECK_HR(acc->get_accSelection(&v), RPC_E_DISCONNECTED, "the selection of a gone control");
  CHECK_HR(acc->accHitTest(0, 0, &v), RPC_E_DISCONNECTED, "a hit test on a gone control");
}

// Pressed while the button is held, with a state change each way.
void pressed_checks(IAccessible* acc, HWND ctl) {
  RECT wr{};
  GetWindowRect(ctl, &wr);
  const int cx = (wr.right - wr.left) / 2, cy = (wr.bottom - wr.top) / 2;
  SetCursorPos(wr.left + cx, wr.top + cy);
  pump(50);
  check_eq(state_of(acc) & STATE_SYSTEM_PRESSED, 0L, "not pressed before the press");
  g_events.clear();
  SendMessageW(ctl, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
  pump(50);
  check_eq(state_of(acc) & STATE_SYSTEM_PRESSED, long{STATE_SYSTEM_PRESSED},
           "pressed while the button is held");
  check_eq(seen(EVENT_OBJECT_STATECHANGE, ctl), 1, "the press is reported once");
  g_events.clear();
  SendMessageW(ctl, WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
  pump(50);
  check_eq(state_of(acc) & STATE_SYSTEM_PRESSED, 0L, "not pressed after the release");
  check_eq(seen(EVENT_OBJECT_STATECHANGE, ctl), 1, "the release is reported once");
  // The keyboard's press too.
  SetFocus(ctl);
  pump(50);
  g_events.clear();
  SendMessageW(ctl, WM_KEYDOWN, VK_SPACE, 0x00390001);
  pump(30);
  check_eq(state_of(acc) & STATE_SYSTEM_PRESSED, long{STATE_SYSTEM_PRESSED},
           "pressed while Space is held");
  check_eq(seen(EVENT_OBJECT_STATECHANGE, ctl), 1, "the key's press is reported");
  SendMessageW(ctl, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
  pump(30);
  check_eq(state_of(acc) & STATE_SYSTEM_PRESSED, 0L, "not pressed after Space is let go");
  check_eq(seen(EVENT_OBJECT_STATECHANGE, ctl), 2, "the key's release is reported");
}

// What any host shows: role, texts, states, the default action, location and hit test, bad input.
void button_checks(IDispatch* d, HWND ctl, Sink& sink, const char* where) {
  std::printf("accessible: %s\n", where);
  VARIANT cap = string_value(L"&Guardar"), tip = string_value(L"Saves the form");
  check_hr(put(d, L"Caption", cap), "Caption");
  check_hr(put(d, L"ToolTipText", tip), "ToolTipText");
  VariantClear(&cap);
  VariantClear(&tip);
  ComPtr<IAccessible> acc = reader_of(ctl);
  if (!acc) return;

  VARIANT role;
  VariantInit(&role);
  CHECK_HR(acc->get_accRole(self(), &role), S_OK, "get_accRole");
  check(role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_PUSHBUTTON, "the role is push button");
  CHECK_TEXT(acc->get_accName(self(), b_.put()), L"Guardar",
             "the name is the caption without marks");
  CHECK_TEXT(acc->get_accDescription(self(), b_.put()), L"Saves the form",
             "the description is ToolTipText");
  CHECK_TEXT(acc->get_accKeyboardShortcut(self(), b_.put()), L"Alt+G", "the access key's shortcut");
  CHECK_TEXT(acc->get_accDefaultAction(self(), b_.put()), L"Press", "the default action");

  // States: focusable always; focused with the focus; unavailable while disabled.
  SetFocus(nullptr);
  pump(50);
  check_eq(state_of(acc.get()) & (STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED),
           long{STATE_SYSTEM_FOCUSABLE}, "focusable, not focused");
  g_events.clear();
  SetFocus(ctl);
  pump(100);
  check_eq(state_of(acc.get()) & STATE_SYSTEM_FOCUSED, long{STATE_SYSTEM_FOCUSED}, "focused");
  check_eq(seen(EVENT_OBJECT_FOCUS, ctl), 1, "the focus is reported");

  pressed_checks(acc.get(), ctl);

  // The default action clicks: one Click, and the button is up again afterwards.
  sink.clear();
  g_events.clear();
  CHECK_HR(acc->accDoDefaultAction(self()), S_OK, "accDoDefaultAction");
  pump(50);
  check_eq(static_cast<long>(sink.events.size()), 1L, "the default action raises one event");
  check_eq(sink.count(1), 1, "the default action raises Click once");
  check_eq(state_of(acc.get()) & STATE_SYSTEM_PRESSED, 0L, "up again after the default action");
  check_eq(seen(EVENT_OBJECT_STATECHANGE, ctl), 0, "down and up within the one action");
  // An application that swallows Space in KeyDown (KeyCode = 0) still gets the reader's Click.
  sink.clear();
  sink.on_event = [](DISPID id, DISPPARAMS* p) {
    if (id == 2 && p->cArgs == 2 && V_VT(&p->rgvarg[1]) == (VT_I2 | VT_BYREF))
      *V_I2REF(&p->rgvarg[1]) = 0;
  };
  CHECK_HR(acc->accDoDefaultAction(self()), S_OK, "accDoDefaultAction, keys swallowed");
  sink.on_event = nullptr;
  check_eq(sink.count(1), 1, "a key handler does not stop the reader's Click");

  // Location in screen pixels; the hit test answers nothing over a cut-away corner.
  RECT wr{};
  GetWindowRect(ctl, &wr);
  LONG x = 0, y = 0, w = 0, h = 0;
  CHECK_HR(acc->accLocation(&x, &y, &w, &h, self()), S_OK, "accLocation");
  check(x == wr.left && y == wr.top && w == wr.right - wr.left && h == wr.bottom - wr.top,
        "accLocation is the window's screen rectangle");
  VARIANT hit;
  VariantInit(&hit);
  CHECK_HR(acc->accHitTest((wr.left + wr.right) / 2, (wr.top + wr.bottom) / 2, &hit), S_OK,
           "accHitTest in the middle");
  check(hit.vt == VT_I4 && hit.lVal == CHILDID_SELF, "the middle is the button itself");
  CHECK_HR(acc->accHitTest(wr.left, wr.top, &hit), S_FALSE, "accHitTest on a cut-away corner");
  check_eq(int{hit.vt}, int{VT_EMPTY}, "a cut-away corner answers nothing");

  // Through the point, as a reader under the mouse asks.
  ComPtr<IAccessible> at_point;
  VARIANT child;
  VariantInit(&child);
  CHECK_HR(AccessibleObjectFromPoint(POINT{(wr.left + wr.right) / 2, (wr.top + wr.bottom) / 2},
                                     at_point.put(), &child),
           S_OK, "AccessibleObjectFromPoint");
  if (at_point) {
    CHECK_TEXT(at_point->get_accName(child, b_.put()), L"Guardar", "the object under the point");
  }
  VariantClear(&child);

  // Changes a reader hears about.
  g_events.clear();
  VARIANT again = string_value(L"&Salir");
  check_hr(put(d, L"Caption", again), "Caption again");
  VariantClear(&again);
  pump(100);
  check_eq(seen(EVENT_OBJECT_NAMECHANGE, ctl), 1, "a caption change is reported");
  CHECK_TEXT(acc->get_accName(self(), b_.put()), L"Salir", "the new name");
  g_events.clear();
  VARIANT off;
  VariantInit(&off);
  off.vt = VT_BOOL;
  off.boolVal = VARIANT_FALSE;
  check_hr(put(d, L"Enabled", off), "Enabled = False");
  pump(100);
  check(seen(EVENT_OBJECT_STATECHANGE, ctl) >= 1, "Enabled = False is reported");
  check_eq(state_of(acc.get()) & STATE_SYSTEM_UNAVAILABLE, long{STATE_SYSTEM_UNAVAILABLE},
           "disabled is unavailable");
  sink.clear();
  CHECK_HR(acc->accDoDefaultAction(self()), S_OK, "accDoDefaultAction while disabled");
  check_eq(sink.count(1), 0, "a disabled button is not pressed");
  off.boolVal = VARIANT_TRUE;
  check_hr(put(d, L"Enabled", off), "Enabled = True");

  // Without a caption the name is the ToolTipText.
  VARIANT empty = string_value(L"");
  check_hr(put(d, L"Caption", empty), "Caption empty");
  VariantClear(&empty);
  CHECK_TEXT(acc->get_accName(self(), b_.put()), L"Saves the form",
             "no caption: the name is the tip");

  bad_input_checks(acc.get(), ctl);
  // Other object ids are the default handler's: the window object, not the button.
  ComPtr<IAccessible> window;
  CHECK_HR(AccessibleObjectFromWindow(ctl, static_cast<DWORD>(OBJID_WINDOW), kIidAccessible,
                                      window.put_void()),
           S_OK, "AccessibleObjectFromWindow(OBJID_WINDOW)");
  check(window && window.get() != acc.get(), "OBJID_WINDOW is the window's own object");
}

int atl_part(HWINEVENTHOOK) {
  HMODULE atl = LoadLibraryW(L"atl.dll");
  auto init = proc<AxInit>(atl, "AtlAxWinInit");
  auto get_control = proc<AxGetControl>(atl, "AtlAxGetControl");
  check(init && get_control && init(), "Wine's ATL host");
  if (!init || !get_control) return 1;
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              150, nullptr, nullptr, nullptr, nullptr);
  HWND host = CreateWindowExW(0, L"AtlAxWin", L"Brelund.Boton", WS_CHILD | WS_VISIBLE, 20, 20, 120,
                              40, form, nullptr, nullptr, nullptr);
  ComPtr<IUnknown> unk;
  if (!host || FAILED(get_control(host, unk.put())) || !unk) {
    check(false, "the ATL host made the control");
    return 1;
  }
  ComPtr<IDispatch> d = unk.query<IDispatch>(IID_IDispatch);
  const HWND ctl = window_of(unk.get());
  Sink sink;
  advise(unk.get(), sink);
  pump(150);
  button_checks(d.get(), ctl, sink, "in Wine's ATL host window");

  // The reader keeps its object; the control goes with its host window.
  ComPtr<IAccessible> kept = reader_of(ctl);
  d.reset();
  unk.reset();
  DestroyWindow(form);
  pump(100);
  if (kept) gone_checks(kept.get(), "its host window destroyed");
  return 0;
}

void container_part() {
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              150, nullptr, nullptr, nullptr, nullptr);
  Site site(form);
  site.rect = RECT{20, 20, 140, 60};
  site.extender.is_default = true;
  Sink sink;
  ComPtr<IDispatch> d;
  CoCreateInstance(CLSID_Boton, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.put_void());
  if (!d) return check(false, "our container creates the control");
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  check_hr(ole->SetClientSite(&site), "SetClientSite");
  d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
  advise(d.get(), sink);
  check_hr(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect),
           "activated in our container");
  const HWND ctl = window_of(d.get());
  pump(150);
  button_checks(d.get(), ctl, sink, "in our container");
  if (ComPtr<IAccessible> acc = reader_of(ctl))
    check_eq(state_of(acc.get()) & STATE_SYSTEM_DEFAULT, long{STATE_SYSTEM_DEFAULT},
             "the extender's Default is the default state");
  ComPtr<IAccessible> kept = reader_of(ctl);
  check_hr(ole->Close(OLECLOSE_NOSAVE), "Close");
  ole->SetClientSite(nullptr);
  ole.reset();
  d.reset();
  DestroyWindow(form);
  pump(50);
  if (kept) gone_checks(kept.get(), "closed by our container");
}

}  // namespace

int accessible_checks() {
  HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_DESCRIPTIONCHANGE, nullptr, on_win_event,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  check(hook != nullptr, "SetWinEventHook");
  const int rc = atl_part(hook);
  container_part();
  if (hook) UnhookWinEvent(hook);
  return rc;
}

}  // namespace client
