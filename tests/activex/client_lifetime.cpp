// A form that lets the button go inside one of its own events: the container releases every
// reference, or destroys the control's window, or destroys the whole form (or only hides or
// disables the button), from a handler of
// each of the eight events and from Click after a pointer click and after Space. The step in
// progress must end cleanly: no crash, no event after the one that let go, and no object left
// behind once the container's references are gone.
#include "client_site.h"

namespace client {

namespace {

enum class LetGo { release, destroy_window, destroy_form, hide, disable };

const char* name_of(LetGo how) {
  switch (how) {
    case LetGo::release:
      return "release";
    case LetGo::destroy_window:
      return "destroy window";
    case LetGo::destroy_form:
      return "destroy form";
    case LetGo::hide:
      return "hide";
    default:
      return "disable";
  }
}

// How to make the control raise `event`, on its window `ctl`.
void provoke(DISPID event, IUnknown* control, HWND ctl, bool by_key) {
  const LPARAM at = MAKELPARAM(60, 20);
  // A click counts only with the system's pointer over the button.
  POINT p{60, 20};
  ClientToScreen(ctl, &p);
  SetCursorPos(p.x, p.y);
  switch (event) {
    case 1:  // Click
      if (by_key) {
        SendMessageW(ctl, WM_KEYDOWN, VK_SPACE, 0);
        SendMessageW(ctl, WM_CHAR, L' ', 0);
        SendMessageW(ctl, WM_KEYUP, VK_SPACE, 0);
      } else {
        SendMessageW(ctl, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(ctl, WM_LBUTTONUP, 0, at);
      }
      break;
    case 2:  // KeyDown
    case 3:  // KeyPress
    case 4:  // KeyUp
      SendMessageW(ctl, WM_KEYDOWN, 'A', 0);
      SendMessageW(ctl, WM_CHAR, L'a', 0);
      SendMessageW(ctl, WM_KEYUP, 'A', 0);
      break;
    case 5:  // MouseDown
    case 6:  // MouseMove
    case 7:  // MouseUp
      SendMessageW(ctl, WM_MOUSEMOVE, 0, at);
      SendMessageW(ctl, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessageW(ctl, WM_LBUTTONUP, 0, at);
      break;
    default: {  // Resize
      ComPtr<IOleInPlaceObject> ip =
          ComPtr<IUnknown>(control).query<IOleInPlaceObject>(IID_IOleInPlaceObject);
      RECT r{10, 10, 150, 60};
      if (ip) ip->SetObjectRects(&r, &r);
      break;
    }
  }
}

void let_go_in(DISPID event, LetGo how, bool by_key) {
  const std::string what =
      std::string(name_of(how)) + " in event " + std::to_string(event) + (by_key ? " (Space)" : "");
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
  ComPtr<IDispatch> d = create_boton();
  if (!d) return check(false, "control created", what);
  Sink sink;
  DWORD cookie = advise(d.get(), sink);
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  // The key events need an extender that answers Default and Cancel.
  Site site(form);
  site.rect = {10, 10, 130, 50};
  ole->SetClientSite(&site);
  check_hr(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect),
           "activated in the form");
  HWND ctl = window_of(d.get());
  check(ctl != nullptr, "the control has a window", what);
  sink.clear();
  bool done = false;
  std::size_t events_then = 0;
  sink.on_event = [&](DISPID id, DISPPARAMS*) {
    if (id != event || done) return;
    done = true;
    events_then = sink.events.size();
    switch (how) {
      case LetGo::release:
        // A form runtime closes the control, lets go of its events and drops its references.
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        ole.reset();
        d.reset();
        break;
      case LetGo::destroy_window:
        DestroyWindow(ctl);
        break;
      case LetGo::destroy_form:
        DestroyWindow(form);
        form = nullptr;
        break;
      case LetGo::hide:
        ole->DoVerb(OLEIVERB_HIDE, nullptr, &site, 0, form, &site.rect);
        break;
      case LetGo::disable: {
        VARIANT off;
        VariantInit(&off);
        V_VT(&off) = VT_BOOL;
        V_BOOL(&off) = VARIANT_FALSE;
        put(d.get(), L"Enabled", off);
        break;
      }
    }
  };
  provoke(event, ole ? static_cast<IUnknown*>(ole.get()) : nullptr, ctl, by_key);
  check(done, "the event was raised", what);
  // The event that let go is the last one the application sees. A hidden or disabled button
  // lives on and may finish its step.
  const bool gone =
      how == LetGo::release || how == LetGo::destroy_window || how == LetGo::destroy_form;
  if (gone)
    check_eq(sink.events.size(), events_then, ("no event after letting go: " + what).c_str());
  sink.on_event = nullptr;
  if (d) {
    // The form still holds the control whose window went away: it can be closed and released.
    ComPtr<IConnectionPointContainer> cpc =
        d.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> cp;
    if (cpc && SUCCEEDED(cpc->FindConnectionPoint(DIID___Boton, cp.put()))) cp->Unadvise(cookie);
    if (ole) ole->Close(OLECLOSE_NOSAVE);
    if (ole) ole->SetClientSite(nullptr);
    cp.reset();
    cpc.reset();
    ole.reset();
    d.reset();
  }
  check(!objects_alive(), "nothing left behind", what);
  if (form) DestroyWindow(form);
}

}  // namespace

int lifetime_checks() {
  for (LetGo how :
       {LetGo::release, LetGo::destroy_window, LetGo::destroy_form, LetGo::hide, LetGo::disable}) {
    for (DISPID event = 1; event <= 8; ++event) let_go_in(event, how, false);
    let_go_in(1, how, true);
  }
  return 0;
}

}  // namespace client
