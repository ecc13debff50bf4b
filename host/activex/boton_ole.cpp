// The OLE object side: client site, verbs, extents, advises, and drawing for containers that
// print, preview or compose the control themselves.
#include <algorithm>

#include "brelund/units.h"
#include "host/activex/boton_object.h"
#include "host/activex/extent_limits.h"
#include "host/activex/screen_units.h"
#include "typelib/registration.h"

namespace brelund::ax {

HRESULT enum_verbs(IUnknown& source, IEnumOLEVERB** out);

HRESULT BotonObject::SetClientSite(IOleClientSite* site) {
  site_ = ComPtr<IOleClientSite>(site);
  ambient_font_.reset();
  accel_for_.reset();
  return S_OK;
}

HRESULT BotonObject::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = ComPtr<IOleClientSite>(site_).detach();
  return S_OK;
}

HRESULT BotonObject::Close(DWORD save_option) {
  const Step step(*this);
  if (dirty_ && site_ &&
      (save_option == OLECLOSE_SAVEIFDIRTY || save_option == OLECLOSE_PROMPTSAVE))
    site_->SaveObject();
  InPlaceDeactivate();
  if (ole_advise_) ole_advise_->SendOnClose();
  // Closed by a handler of one of its own events: the event in progress is the last.
  if (steps_ > 1) instance_.retire();
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
  return enum_verbs(static_cast<IOleObject&>(*this), out);
}

HRESULT BotonObject::GetUserType(DWORD, LPOLESTR* type) {
  if (type) *type = nullptr;
  return OLE_S_USEREG;
}

HRESULT BotonObject::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent,
                            LPCRECT pos) {
  const Step step(*this);
  // Activation needs a container to activate in: a client site, given here or before.
  const bool activates = verb == OLEIVERB_PRIMARY || verb == OLEIVERB_SHOW ||
                         verb == OLEIVERB_INPLACEACTIVATE || verb == OLEIVERB_UIACTIVATE ||
                         verb > 0;
  if (activates && !site && !site_) return E_INVALIDARG;
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return com_call(
          [&] { activate(site ? site : site_.get(), parent, pos, verb == OLEIVERB_UIACTIVATE); });
    case OLEIVERB_HIDE:
      UIDeactivate();
      if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;  // the control keeps no undo state
    default:
      // OLE's own verbs that the control does not do (opening in a window of its own, property
      // pages) must fail, so that the container does them itself; a success code here would
      // tell it they were done. An unknown verb of the object's own is its primary verb.
      if (verb < 0) return E_NOTIMPL;
      const HRESULT hr = com_call([&] { activate(site ? site : site_.get(), parent, pos, false); });
      return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
  }
}

HRESULT BotonObject::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  const ScreenDpi dpi = screen_dpi();
  // The cap is in pixels; in HIMETRIC it is what the container's pixels come to at this DPI.
  const long long max = std::min(max_side_himetric(dpi.x), max_side_himetric(dpi.y));
  if (!extent_fits(size->cx, size->cy, max))
    return refuse_extent(size->cx, size->cy, max, "HIMETRIC");
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    const float w = twips_of_himetric(size->cx, dpi.x), h = twips_of_himetric(size->cy, dpi.y);
    raise_on_failure(instance_.resize(w, h));
  });
}

HRESULT BotonObject::GetExtent(DWORD aspect, SIZEL* size) {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  const ScreenDpi dpi = screen_dpi();
  size->cx = himetric_of_twips(surface_.width(), dpi.x);
  size->cy = himetric_of_twips(surface_.height(), dpi.y);
  return S_OK;
}

HRESULT BotonObject::Advise(IAdviseSink* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_INVALIDARG;
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

HRESULT BotonObject::GetWindow(HWND* hwnd) {
  if (!hwnd) return E_POINTER;
  *hwnd = hwnd_;
  return hwnd_ ? S_OK : E_FAIL;
}

// ---- IViewObject2 ----

// The content aspect has one piece, -1; the bounds are required for every device context.
HRESULT BotonObject::Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC dc,
                          LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                          ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (index != -1) return DV_E_LINDEX;
  if (!dc || !bounds) return E_INVALIDARG;
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    paint(dc, RECT{bounds->left, bounds->top, bounds->right, bounds->bottom});
  });
}

HRESULT BotonObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** set) {
  if (set) *set = nullptr;
  return S_FALSE;
}

HRESULT BotonObject::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  view_sink_ = ComPtr<IAdviseSink>(sink);
  view_advise_flags_ = flags;
  view_advise_aspects_ = aspects;
  if (sink && (flags & ADVF_PRIMEFIRST) != 0) view_changed();
  return S_OK;
}

HRESULT BotonObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = view_advise_aspects_;
  if (flags) *flags = view_advise_flags_;
  if (sink) *sink = ComPtr<IAdviseSink>(view_sink_).detach();
  return S_OK;
}

HRESULT BotonObject::GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE*, LPSIZEL size) {
  if (aspect == DVASPECT_CONTENT && index != -1) return DV_E_LINDEX;
  return GetExtent(aspect, size);
}

}  // namespace brelund::ax
