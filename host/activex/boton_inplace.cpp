// In-place and UI activation by OLE's rules, the keyboard interface a container's dialog
// handling talks to (IOleInPlaceActiveObject, IOleControl) and quick activation.
//
// The pairs a container relies on: OnInPlaceActivate is answered by OnInPlaceDeactivate, also
// when the activation fails half-way; OnUIActivate by OnUIDeactivate, once per UI activation;
// the frame and document window learn of the active object while the control is UI-active.
#include <span>

#include "brelund/units.h"
#include "host/activex/boton_object.h"
#include "host/activex/extent_limits.h"
#include "host/common/form_keys.h"
#include "typelib/registration.h"

namespace brelund::ax {

HWND create_control_window(HWND parent, const RECT& r, BotonObject* owner);

namespace {
constexpr const wchar_t* kObjectName = L"Boton";

// The container's rectangle at activation is held to the same bounds as SetObjectRects.
void check_rect(const RECT& r) {
  const long long w = static_cast<long long>(r.right) - r.left;
  const long long h = static_cast<long long>(r.bottom) - r.top;
  if (!extent_fits(w, h, kMaxSidePixels))
    throw Error(errors::kInvalidPropertyValue,
                "The container's rectangle of " + std::to_string(w) + " x " + std::to_string(h) +
                    " pixels is outside 0 to " + std::to_string(kMaxSidePixels) + " per side");
}
}  // namespace

void BotonObject::activate(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui) {
  ensure_initialised();
  if (activation_ == Activation::running) in_place_activate(site, parent, pos);
  if (hwnd_) ShowWindow(hwnd_, SW_SHOW);
  if (ui && hwnd_) {
    ui_activate();
    take_focus();
  }
}

void BotonObject::in_place_activate(IOleClientSite* site, HWND parent, LPCRECT pos) {
  RECT r = pos ? *pos
               : RECT{0, 0, units::extent_pixels(surface_.width()),
                      units::extent_pixels(surface_.height())};
  ComPtr<IOleInPlaceSite> ips =
      ComPtr<IOleClientSite>(site).query<IOleInPlaceSite>(IID_IOleInPlaceSite);
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> doc;
  if (ips) {
    if (ips->CanInPlaceActivate() != S_OK)
      throw Error(errors::kNotSupported, "The container refuses activation");
    if (FAILED(ips->OnInPlaceActivate()))
      throw Error(errors::kNotSupported, "The container refuses activation");
  }
  // From here on a failure owes the container its OnInPlaceDeactivate.
  struct Unwind {
    ComPtr<IOleInPlaceSite>* site;
    ~Unwind() {
      if (site && *site) (*site)->OnInPlaceDeactivate();
    }
  } unwind{&ips};
  if (ips) {
    HWND w = nullptr;
    if (SUCCEEDED(ips->GetWindow(&w)) && w) parent = w;
    RECT p{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof(info);
    if (SUCCEEDED(ips->GetWindowContext(frame.put(), doc.put(), &p, &clip, &info))) r = p;
  }
  check_rect(r);
  if (!parent) throw Error(errors::kInvalidProcedureCall, "There is no window to activate in");
  const HWND hwnd = create_control_window(parent, r, this);
  if (!hwnd) throw Error(errors::kInvalidProcedureCall, "The control's window cannot be made");
  unwind.site = nullptr;
  hwnd_ = hwnd;
  enter(Activation::in_place);
  inplace_site_ = ips;
  frame_ = frame;
  doc_window_ = doc;
  surface_.set_window(hwnd_);
  timer_.set_window(hwnd_);
  resize_to_pixels(r.right - r.left, r.bottom - r.top);
  if (!instance_.retired()) raise_on_failure(instance_.show());
}

void BotonObject::ui_activate() {
  if (activation_ != Activation::in_place) return;
  enter(Activation::ui_active);
  if (inplace_site_) inplace_site_->OnUIActivate();
  auto* active = static_cast<IOleInPlaceActiveObject*>(this);
  if (frame_) frame_->SetActiveObject(active, kObjectName);
  if (doc_window_) doc_window_->SetActiveObject(active, kObjectName);
}

void BotonObject::take_focus() {
  if (hwnd_ && GetFocus() != hwnd_) SetFocus(hwnd_);
}

HRESULT BotonObject::UIDeactivate() {
  if (activation_ != Activation::ui_active) return S_OK;
  enter(Activation::in_place);
  if (frame_) frame_->SetActiveObject(nullptr, nullptr);
  if (doc_window_) doc_window_->SetActiveObject(nullptr, nullptr);
  if (inplace_site_) inplace_site_->OnUIDeactivate(FALSE);
  return S_OK;
}

HRESULT BotonObject::InPlaceDeactivate() {
  if (activation_ < Activation::in_place) return S_OK;
  UIDeactivate();
  enter(Activation::running);
  destroy_window();
  frame_.reset();
  doc_window_.reset();
  if (ComPtr<IOleInPlaceSite> site = std::move(inplace_site_)) site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT BotonObject::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
  const long long w = static_cast<long long>(pos->right) - pos->left;
  const long long h = static_cast<long long>(pos->bottom) - pos->top;
  if (!extent_fits(w, h, kMaxSidePixels)) return refuse_extent(w, h, kMaxSidePixels, "pixels");
  const Step step(*this);
  return com_call([&] {
    if (hwnd_)
      MoveWindow(hwnd_, pos->left, pos->top, pos->right - pos->left, pos->bottom - pos->top, TRUE);
    resize_to_pixels(pos->right - pos->left, pos->bottom - pos->top);
  });
}

void BotonObject::resize_to_pixels(int w, int h) {
  ensure_initialised();
  if (units::extent_pixels(surface_.width()) == w && units::extent_pixels(surface_.height()) == h)
    return;
  raise_on_failure(instance_.resize(units::twips_of_pixels(w), units::twips_of_pixels(h)));
}

// ---- the keyboard: IOleInPlaceActiveObject and IOleControl ----

// A UI-active control sees the container's messages first. It keeps the form keys that the form
// rule gives the focused button (Enter always reaches it, Escape when it is the cancel button);
// the rest, Tab included, are the container's: it moves the focus and finds the other buttons.
bool BotonObject::dialog_key(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_KEYUP) return false;
  if (msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE) return false;
  const host::FormButton self{.is_default = surface_.extender_default().value_or(false),
                              .is_cancel = surface_.extender_cancel().value_or(false)};
  const auto key = msg.wParam == VK_RETURN ? host::FormKey::enter : host::FormKey::escape;
  return !host::form_key_target(key, std::span(&self, 1), 0).goes_on;
}

HRESULT BotonObject::TranslateAccelerator(LPMSG msg) {
  if (!msg) return E_INVALIDARG;
  const Step step(*this);
  if (hwnd_ && (msg->hwnd == hwnd_) && dialog_key(*msg)) {
    SendMessageW(hwnd_, msg->message, msg->wParam, msg->lParam);
    return S_OK;
  }
  ComPtr<IOleControlSite> cs = site_.query<IOleControlSite>(IID_IOleControlSite);
  if (!cs) return S_FALSE;
  DWORD modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= 1;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= 2;
  if (GetKeyState(VK_MENU) < 0) modifiers |= 4;
  return cs->TranslateAccelerator(msg, modifiers) == S_OK ? S_OK : S_FALSE;
}

HACCEL BotonObject::accelerators() {
  // Enter works a default button and Escape a cancel button from anywhere on the form.
  const std::pair<bool, bool> now{surface_.extender_default().value_or(false),
                                  surface_.extender_cancel().value_or(false)};
  if (accel_for_ == now) return accel_.get();
  ACCEL keys[2];
  int n = 0;
  if (now.first) keys[n++] = {FVIRTKEY, VK_RETURN, 0};
  if (now.second) keys[n++] = {FVIRTKEY, VK_ESCAPE, 0};
  accel_ = AcceleratorTable(n ? CreateAcceleratorTableW(keys, n) : nullptr);
  if (n && !accel_.get()) throw Error(errors::kOutOfMemory, "Out of memory");
  const bool changed = accel_for_.has_value();
  accel_for_ = now;
  if (changed)
    if (ComPtr<IOleControlSite> cs = site_.query<IOleControlSite>(IID_IOleControlSite))
      cs->OnControlInfoChanged();
  return accel_.get();
}

HRESULT BotonObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  return com_call([&] {
    HACCEL table = accelerators();
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = table;
    info->cAccel = static_cast<USHORT>(table ? CopyAcceleratorTableW(table, nullptr, 0) : 0);
    info->dwFlags = 0;
  });
}

HRESULT BotonObject::OnAmbientPropertyChange(DISPID) {
  // The control itself does not answer ambient changes; the runtime only keeps the keys it
  // announced in step with the extender (DisplayAsDefault follows a change of Default).
  ambient_font_.reset();
  if (accel_for_) com_call([&] { accelerators(); });
  return S_OK;
}

HRESULT BotonObject::OnMnemonic(MSG* msg) {
  if (!msg) return E_POINTER;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return S_FALSE;
  std::int16_t ascii = 0;
  if (msg->wParam == VK_RETURN) ascii = 13;
  if (msg->wParam == VK_ESCAPE) ascii = 27;
  if (ascii == 0) return S_FALSE;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    raise_on_failure(instance_.access_key(ascii));
  });
}

HRESULT BotonObject::FreezeEvents(BOOL freeze) {
  events_.freeze(freeze != FALSE);
  return S_OK;
}

// ---- IQuickActivate ----

HRESULT BotonObject::QuickActivate(QACONTAINER* qa, QACONTROL* out) {
  if (!qa || !out) return E_POINTER;
  if (qa->cbSize < offsetof(QACONTAINER, pUndoMgr) || out->cbSize < sizeof(QACONTROL))
    return E_INVALIDARG;
  SetClientSite(qa->pClientSite);
  if (qa->pFont) com_call([&] { ambient_font_ = objects_.font_of(qa->pFont); });
  out->dwMiscStatus = registration::kMiscStatus;
  out->dwViewStatus = 0;  // the cut-away corners show what lies behind
  out->dwEventCookie = 0;
  out->dwPropNotifyCookie = 0;
  out->dwPointerActivationPolicy = 0;
  if (qa->pUnkEventSink) events_.Advise(qa->pUnkEventSink, &out->dwEventCookie);
  if (qa->pPropertyNotifySink) notify_.Advise(qa->pPropertyNotifySink, &out->dwPropNotifyCookie);
  if (qa->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, qa->pAdviseSink);
  return S_OK;
}

HRESULT BotonObject::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }

HRESULT BotonObject::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

}  // namespace brelund::ax
