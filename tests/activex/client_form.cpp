// Two buttons on a form the way a form runtime hosts them: quick activation, ambient font, an
// extender with Default and Cancel, a control site and an in-place frame, a Wine EDIT control
// beside them, and a message loop that gives the UI-active control the first look at keys and
// works the default and cancel buttons through their mnemonics. Input is real (SetCursorPos,
// SendInput). The form closes itself in Click, after a pointer click and after Space.
#include <algorithm>
#include <memory>

#include "client_site.h"

namespace client {

namespace {

// The form's frame: it remembers the UI-active object, which gets the first look at keys.
class Frame final : public IOleInPlaceFrame {
 public:
  void set_window(HWND form) { form_ = form; }
  ComPtr<IOleInPlaceActiveObject> active;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IOleWindow && riid != IID_IOleInPlaceUIWindow &&
        riid != IID_IOleInPlaceFrame)
      return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* h) override {
    *h = form_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override {
    return INPLACE_E_NOTOOLSPACE;
  }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* obj, LPCOLESTR) override {
    active = ComPtr<IOleInPlaceActiveObject>(obj);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  HWND form_ = nullptr;
};

struct Button {
  explicit Button(HWND form) : site(form) {}
  Site site;
  Sink sink;
  Browser browser;
  ComPtr<IDispatch> d;
  HWND hwnd = nullptr;
};

unsigned middle_brightness(IUnknown* control) {
  std::vector<unsigned> px = draw(control, 120, 40, 0);
  const unsigned c = px[20 * 120 + 60];
  return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255);
}

bool looks_pressed(IUnknown* control) {
  std::vector<unsigned> px = draw(control, 120, 40, 0xFF00FF);
  auto lum = [&](int y) {
    const unsigned c = px[static_cast<std::size_t>(y) * 120 + 60];
    return ((c >> 16) & 255) + ((c >> 8) & 255) + (c & 255);
  };
  return lum(2) < lum(37);
}

class Form {
 public:
  Form() {
    form =
        CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                        40, 40, 460, 200, nullptr, nullptr, nullptr, nullptr);
    frame_.set_window(form);
    edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                           10, 150, 24, form, nullptr, nullptr, nullptr);
    ok = std::make_unique<Button>(form);
    cancel = std::make_unique<Button>(form);
    ok->site.extender.is_default = true;
    cancel->site.extender.is_cancel = true;
    place(*ok, {180, 10, 300, 50});
    place(*cancel, {180, 60, 300, 100});
    SetForegroundWindow(form);
    SetFocus(edit);
    pump(100);
  }
  ~Form() { close(); }
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // What a form does when it closes: every control closed and released, then the window.
  void close() {
    for (Button* b : {ok.get(), cancel.get()}) {
      if (!b || !b->d) continue;
      ComPtr<IOleObject> ole = b->d.query<IOleObject>(IID_IOleObject);
      ole->Close(OLECLOSE_NOSAVE);
      ole->SetClientSite(nullptr);
      b->d.reset();
    }
    frame_.active.reset();
    if (form) DestroyWindow(form);
    form = nullptr;
  }

  // The form's message loop: the UI-active control sees keys first; Enter and Escape from
  // elsewhere go to the default and cancel buttons; Tab moves the focus.
  void pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    MSG msg;
    while (GetTickCount() < end) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (form && msg.message == WM_KEYDOWN && dialog(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(5);
    }
  }

  bool tab(MSG*) {
    HWND order[] = {edit, ok->hwnd, cancel->hwnd};
    const HWND now = GetFocus();
    for (int i = 0; i < 3; ++i)
      if (order[i] == now) {
        SetFocus(order[(i + 1) % 3]);
        return true;
      }
    SetFocus(edit);
    return true;
  }

  HWND form = nullptr, edit = nullptr;
  std::unique_ptr<Button> ok, cancel;

 private:
  bool dialog(MSG* msg) {
    const HWND focus = GetFocus();
    if (frame_.active && (focus == ok->hwnd || focus == cancel->hwnd))
      return frame_.active->TranslateAccelerator(msg) == S_OK;
    if (msg->wParam == VK_TAB) return tab(msg);
    Button* target = msg->wParam == VK_RETURN   ? ok.get()
                     : msg->wParam == VK_ESCAPE ? cancel.get()
                                                : nullptr;
    if (!target || !target->d) return false;
    ComPtr<IOleControl> oc = target->d.query<IOleControl>(IID_IOleControl);
    return oc && oc->OnMnemonic(msg) == S_OK;
  }

  void place(Button& b, RECT r) {
    b.site.rect = r;
    b.site.frame = &frame_;
    b.site.on_translate = [this](MSG* m) { return m->wParam == VK_TAB && tab(m); };
    // One UI-active control at a time: the other one is deactivated first.
    b.site.on_ui_activate = [this, &b] {
      for (Button* other : {ok.get(), cancel.get()})
        if (other && other != &b && other->d)
          if (ComPtr<IOleInPlaceObject> ip =
                  other->d.query<IOleInPlaceObject>(IID_IOleInPlaceObject))
            ip->UIDeactivate();
    };
    CoCreateInstance(CLSID_Boton, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, b.d.put_void());
    if (!b.d) return check(false, "the form creates its button");
    ComPtr<IQuickActivate> qa = b.d.query<IQuickActivate>(IID_IQuickActivate);
    QACONTAINER c{};
    c.cbSize = sizeof c;
    c.pClientSite = &b.site;
    c.pUnkEventSink = &b.sink;
    c.pPropertyNotifySink = &b.browser;
    QACONTROL out{};
    out.cbSize = sizeof out;
    check_hr(qa->QuickActivate(&c, &out), "QuickActivate");
    b.d.query<IPersistStreamInit>(IID_IPersistStreamInit)->InitNew();
    ComPtr<IOleObject> ole = b.d.query<IOleObject>(IID_IOleObject);
    check_hr(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &b.site, 0, form, &r), "activated");
    b.hwnd = window_of(b.d.get());
  }

  Frame frame_;
};

void key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

void click(HWND w) {
  POINT p{60, 20};
  ClientToScreen(w, &p);
  SetCursorPos(p.x, p.y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

std::vector<DISPID> keys_and_clicks(const Sink& s) {
  std::vector<DISPID> out;
  for (const EventRecord& e : s.events)
    if (e.id == 1 || e.id == 2 || e.id == 4) out.push_back(e.id);
  return out;
}

void default_and_cancel(Form& f) {
  for (Button* b : {f.ok.get(), f.cancel.get()}) {
    const bool is_ok = b == f.ok.get();
    const char* what = is_ok ? "Enter in the edit box works the default button"
                             : "Escape in the edit box works the cancel button";
    SetFocus(f.edit);
    f.pump(50);
    b->sink.clear();
    bool pressed = false;
    b->sink.on_event = [&](DISPID id, DISPPARAMS*) {
      if (id == 2) pressed = looks_pressed(b->d.get());
    };
    key(is_ok ? VK_RETURN : VK_ESCAPE);
    f.pump(200);
    b->sink.on_event = nullptr;
    check(keys_and_clicks(b->sink) == std::vector<DISPID>{2, 1, 4}, what,
          "want KeyDown, Click, KeyUp");
    check(pressed, "drawn pressed during KeyDown", what);
    check(GetFocus() == f.edit, "the edit box keeps the focus", what);
  }
}

// Escape with the focus on a button: the cancel button clicks once, on the release of the key
// it pressed; a button that is not Cancel raises its key events and no Click.
void escape_on_buttons(Form& f) {
  for (Button* b : {f.cancel.get(), f.ok.get()}) {
    const bool is_cancel = b == f.cancel.get();
    SetFocus(b->hwnd);
    f.pump(60);
    f.ok->sink.clear();
    f.cancel->sink.clear();
    key(VK_ESCAPE);
    f.pump(250);
    check_eq(b->sink.count(1), is_cancel ? 1 : 0,
             is_cancel ? "Escape on the cancel button clicks it once"
                       : "Escape on a button that is not Cancel does not click it");
    check_eq(f.ok->sink.count(1) + f.cancel->sink.count(1), is_cancel ? 1 : 0,
             "no other button clicks");
  }
}

void tab_order(Form& f) {
  SetFocus(f.edit);
  f.pump(50);
  key(VK_TAB);
  f.pump(200);
  check(GetFocus() == f.ok->hwnd, "Tab from the edit box focuses the first button");
  const unsigned ok_lit = middle_brightness(f.ok->d.get());
  const unsigned cancel_plain = middle_brightness(f.cancel->d.get());
  check(ok_lit > cancel_plain, "the focused button is lit");
  key(VK_TAB);
  f.pump(200);
  check(GetFocus() == f.cancel->hwnd, "Tab from a button moves the focus on");
  check(middle_brightness(f.cancel->d.get()) > middle_brightness(f.ok->d.get()),
        "the lit look follows the focus");
  check(f.ok->site.focus_in >= 1 && f.ok->site.focus_out >= 1, "OnFocus in and out");
  check(f.ok->site.ui_activations == f.ok->site.ui_deactivations,
        "each UI activation of the first button was answered by a deactivation");
}

void closes_in_click(bool by_space) {
  const char* what = by_space ? "the form closes itself in Click (Space)"
                              : "the form closes itself in Click (pointer)";
  Form f;
  if (!f.ok->d) return;
  f.ok->sink.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id == 1) f.close();
  };
  if (by_space) {
    SetFocus(f.ok->hwnd);
    f.pump(50);
    key(VK_SPACE);
  } else {
    click(f.ok->hwnd);
  }
  f.pump(300);
  check(f.form == nullptr, "Click was raised and closed the form", what);
  check(f.ok->sink.count(1) == 1, "one Click", what);
  const EventRecord* last = f.ok->sink.events.empty() ? nullptr : &f.ok->sink.events.back();
  check(last && last->id == 1, "nothing raised after the Click that closed the form", what);
  f.ok->sink.on_event = nullptr;
}

void font_and_browser(Form& f) {
  ComPtr<IDispatch> d = f.ok->d;
  VariantHolder fv;
  get(d.get(), L"Font", fv.get());
  ComPtr<IFont> font = ComPtr<IUnknown>(V_UNKNOWN(fv.get())).query<IFont>(IID_IFont);
  if (!font) return check(false, "Font is an OLE font");
  f.ok->browser.changed.clear();
  font->put_Bold(TRUE);
  f.pump(50);
  const DISPID font_id = dispid_of(d.get(), L"Font");
  check(std::count(f.ok->browser.changed.begin(), f.ok->browser.changed.end(), font_id) >= 1,
        "the form's property browser sees OnChanged for Font");
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  d.query<IPersistStreamInit>(IID_IPersistStreamInit)->Save(s.get(), TRUE);
  s->Seek({}, STREAM_SEEK_SET, nullptr);
  ComPtr<IDispatch> again;
  CoCreateInstance(CLSID_Boton, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, again.put_void());
  again.query<IPersistStreamInit>(IID_IPersistStreamInit)->Load(s.get());
  VariantHolder fv2;
  get(again.get(), L"Font", fv2.get());
  ComPtr<IFont> f2 = ComPtr<IUnknown>(V_UNKNOWN(fv2.get())).query<IFont>(IID_IFont);
  BOOL bold = FALSE;
  check(f2 && SUCCEEDED(f2->get_Bold(&bold)) && bold, "Font.Bold on the form saved and reloaded");
}

}  // namespace

int form_checks() {
  {
    Form f;
    if (!f.ok->d || !f.cancel->d) return 1;
    // Tab first: Enter and Escape leave their buttons lit (an access key lights a button that
    // does not have the focus).
    tab_order(f);
    default_and_cancel(f);
    escape_on_buttons(f);
    font_and_browser(f);
    pointer_shape_checks(f.cancel->d.get(), f.cancel->hwnd, "own container");
    // A snapshot of the button at twice its size.
    std::vector<unsigned> big = draw(f.ok->d.get(), 240, 80, 0xFF00FF);
    check(big[0] == 0xFF00FF && big[40 * 240 + 120] != 0xFF00FF,
          "drawn into a bitmap at twice the size");
  }
  closes_in_click(false);
  closes_in_click(true);
  check(!objects_alive(), "no object left behind by the closed forms");
  return 0;
}

}  // namespace client
