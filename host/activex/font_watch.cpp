#include "host/activex/font_watch.h"

#include "host/activex/boton_object.h"

namespace brelund::ax {

void FontWatch::watch(IUnknown* font) {
  ComPtr<IUnknown> identity = ComPtr<IUnknown>(font).query<IUnknown>(IID_IUnknown);
  if (identity.get() == font_.get()) return;
  stop();
  if (!identity) return;
  // A font object without notifications still works as a font; it just cannot be watched.
  ComPtr<IConnectionPointContainer> cpc =
      identity.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ComPtr<IConnectionPoint> point;
  if (!cpc || FAILED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) return;
  DWORD cookie = 0;
  if (FAILED(point->Advise(static_cast<IPropertyNotifySink*>(this), &cookie))) return;
  font_ = identity;
  point_ = point;
  cookie_ = cookie;
}

void FontWatch::stop() noexcept {
  if (point_) point_->Unadvise(cookie_);
  point_.reset();
  font_.reset();
  cookie_ = 0;
}

HRESULT FontWatch::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IPropertyNotifySink) return E_NOINTERFACE;
  *out = static_cast<IPropertyNotifySink*>(this);
  return S_OK;
}

HRESULT FontWatch::OnChanged(DISPID) {
  if (font_) {
    ComPtr<IUnknown> font = font_;  // the owner may watch another font meanwhile
    owner_.font_object_changed(font.get());
  }
  return S_OK;
}

}  // namespace brelund::ax
