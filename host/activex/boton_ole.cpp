// The OLE control side: client site, in-place activation in the container's window, extents,
// mnemonics for a default or cancel button, and drawing for containers that print or preview.
#include <cmath>

#include "brelund/units.h"
#include "host/activex/boton_object.h"
#include "typelib/registration.h"

namespace brelund::ax {

namespace {
constexpr LONG kHimetricPerInch = 2540;
float twips_of_himetric(LONG v) {
  return static_cast<float>(std::lround(v * 1440.0 / kHimetricPerInch));
}
LONG himetric_of_twips(float v) { return std::lround(v * kHimetricPerInch / 1440.0); }
}  // namespace

HRESULT BotonObject::SetClientSite(IOleClientSite* site) {
  site_ = ComPtr<IOleClientSite>(site);
  ambient_font_.reset();
  if (!site) inplace_site_.reset();
  return S_OK;
}

HRESULT BotonObject::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = ComPtr<IOleClientSite>(site_).detach();
  return S_OK;
}

HRESULT BotonObject::Close(DWORD) {
  InPlaceDeactivate();
  return S_OK;
}

HRESULT BotonObject::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT BotonObject::GetClipboardData(DWORD, IDataObject** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT BotonObject::EnumVerbs(IEnumOLEVERB** out) {
  if (out) *out = nullptr;
  return OLEOBJ_E_NOVERBS;
}

HRESULT BotonObject::GetUserType(DWORD, LPOLESTR* type) {
  if (type) *type = nullptr;
  return OLE_S_USEREG;
}

HRESULT BotonObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                            LPCRECT pos) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return com_call(
          [&] { activate(site ? site : site_.get(), parent, pos, verb == OLEIVERB_UIACTIVATE); });
    case OLEIVERB_HIDE:
      if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
      return S_OK;
    default:
      return OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT BotonObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  return com_call([&] {
    ensure_initialised();
    const float w = twips_of_himetric(size->cx), h = twips_of_himetric(size->cy);
    if (w == surface_.width() && h == surface_.height()) return;
    surface_.set_size(w, h);
    control_->Resize();
  });
}

HRESULT BotonObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  size->cx = himetric_of_twips(surface_.width());
  size->cy = himetric_of_twips(surface_.height());
  return S_OK;
}

HRESULT BotonObject::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!ole_advise_ && FAILED(CreateOleAdviseHolder(ole_advise_.put()))) return E_OUTOFMEMORY;
  return ole_advise_->Advise(sink, cookie);
}

HRESULT BotonObject::Unadvise(DWORD cookie) {
  return ole_advise_ ? ole_advise_->Unadvise(cookie) : OLE_E_NOCONNECTION;
}

HRESULT BotonObject::EnumAdvise(IEnumSTATDATA** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return ole_advise_ ? ole_advise_->EnumAdvise(out) : E_FAIL;
}

HRESULT BotonObject::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = registration::kMiscStatus;
  return S_OK;
}

// ---- IOleInPlaceObject ----

HRESULT BotonObject::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

HRESULT BotonObject::InPlaceDeactivate() {
  if (!hwnd_) return S_OK;
  destroy_window();
  if (inplace_site_) inplace_site_->OnInPlaceDeactivate();
  inplace_site_.reset();
  return S_OK;
}

HRESULT BotonObject::SetObjectRects(LPCRECT pos, LPCRECT) {
  if (!pos) return E_POINTER;
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
  surface_.set_size(static_cast<float>(w * 15), static_cast<float>(h * 15));
  control_->Resize();
}

// ---- IOleControl ----

HRESULT BotonObject::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  const HRESULT hr = com_call([&] {
    // Enter works a default button and Escape a cancel button from anywhere on the form.
    ACCEL keys[2];
    int n = 0;
    if (surface_.extender_default().value_or(false)) keys[n++] = {FVIRTKEY, VK_RETURN, 0};
    if (surface_.extender_cancel().value_or(false)) keys[n++] = {FVIRTKEY, VK_ESCAPE, 0};
    info->cb = sizeof(CONTROLINFO);
    info->hAccel = n ? CreateAcceleratorTableW(keys, n) : nullptr;
    info->cAccel = static_cast<USHORT>(n);
    info->dwFlags = 0;
  });
  return hr;
}

HRESULT BotonObject::OnMnemonic(MSG* msg) {
  if (!msg) return E_POINTER;
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return S_FALSE;
  std::int16_t ascii = 0;
  if (msg->wParam == VK_RETURN) ascii = 13;
  if (msg->wParam == VK_ESCAPE) ascii = 27;
  if (ascii == 0) return S_FALSE;
  return com_call([&] {
    ensure_initialised();
    control_->AccessKeyPress(ascii);
  });
}

HRESULT BotonObject::FreezeEvents(BOOL freeze) {
  events_.freeze(freeze != FALSE);
  return S_OK;
}

// ---- IViewObject2 ----

HRESULT BotonObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds,
                          LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  return com_call([&] {
    ensure_initialised();
    paint(dc, bounds ? bounds->left : 0, bounds ? bounds->top : 0);
  });
}

HRESULT BotonObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) {
  if (set) *set = nullptr;
  return S_FALSE;
}

HRESULT BotonObject::SetAdvise(DWORD, DWORD flags, IAdviseSink* sink) {
  view_sink_ = ComPtr<IAdviseSink>(sink);
  view_advise_flags_ = flags;
  return S_OK;
}

HRESULT BotonObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = DVASPECT_CONTENT;
  if (flags) *flags = view_advise_flags_;
  if (sink) *sink = ComPtr<IAdviseSink>(view_sink_).detach();
  return S_OK;
}

HRESULT BotonObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

}  // namespace brelund::ax
