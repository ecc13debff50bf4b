#include "client_site.h"

namespace client {

HRESULT Extender::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  return S_OK;
}

HRESULT Extender::GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) {
  const std::wstring n = names[0];
  if (n == L"Default")
    *id = 1;
  else if (n == L"Cancel")
    *id = 2;
  else
    return DISP_E_UNKNOWNNAME;
  return S_OK;
}

HRESULT Extender::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                         UINT*) {
  if (id != 1 && id != 2) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = (id == 1 ? is_default : is_cancel) ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

HRESULT Site::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
    *out = static_cast<IOleInPlaceSite*>(this);
  else if (riid == IID_IOleControlSite)
    *out = static_cast<IOleControlSite*>(this);
  else if (riid == IID_IDispatch)
    *out = static_cast<IDispatch*>(this);
  else
    return E_NOINTERFACE;
  return S_OK;
}

HRESULT Site::OnUIActivate() {
  ++ui_activations;
  if (on_ui_activate) on_ui_activate();
  return S_OK;
}

HRESULT Site::GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** doc, LPRECT pos,
                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  *f = frame;
  if (frame) frame->AddRef();
  *doc = nullptr;
  *pos = rect;
  *clip = rect;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = form_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT Site::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                     UINT*) {
  if (id != DISPID_AMBIENT_FONT || !ambient_font) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = ambient_font.get();
    ambient_font->AddRef();
  }
  return S_OK;
}

}  // namespace client
