// Construction, identity and the container queries of a Boton object.
#include "host/activex/boton_object.h"

#include "control/design.h"

namespace brelund::ax {

BotonObject::BotonObject() {
  surface_.set_size(design::kWidth, design::kHeight);
  host::Services services{surface_, label_, pic_, mask_, timer_, platform_, events_, nullptr};
  design::apply_design(services);
  control_ = std::make_unique<Boton>(services);
}

BotonObject::~BotonObject() { destroy_window(); }

ULONG BotonObject::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

HRESULT BotonObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Boton)
    *out = static_cast<_Boton*>(this);
  else if (riid == IID_IConnectionPointContainer)
    *out = static_cast<IConnectionPointContainer*>(this);
  else if (riid == IID_IPersistStreamInit || riid == IID_IPersist)
    *out = static_cast<IPersistStreamInit*>(this);
  else if (riid == IID_IPersistPropertyBag)
    *out = static_cast<IPersistPropertyBag*>(this);
  else if (riid == IID_IOleObject)
    *out = static_cast<IOleObject*>(this);
  else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
    *out = static_cast<IOleInPlaceObject*>(this);
  else if (riid == IID_IOleControl)
    *out = static_cast<IOleControl*>(this);
  else if (riid == IID_IViewObject || riid == IID_IViewObject2)
    *out = static_cast<IViewObject2*>(this);
  else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
    *out = static_cast<IProvideClassInfo2*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

void BotonObject::ensure_initialised() {
  if (initialised_) return;
  initialised_ = true;
  control_->InitProperties();
}

// ---- what the surface asks of the container ----

std::optional<bool> BotonObject::extender_bool(const wchar_t* name) {
  // The extender holds Default and Cancel where the container has them; elsewhere the read
  // fails and the control takes that as False.
  ComPtr<IOleControlSite> cs = site_.query<IOleControlSite>(IID_IOleControlSite);
  if (!cs) return std::nullopt;
  ComPtr<IDispatch> ext;
  if (FAILED(cs->GetExtendedControl(ext.put())) || !ext) return std::nullopt;
  DISPID id = 0;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  if (FAILED(ext->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
  DISPPARAMS none{};
  VariantHolder v;
  if (FAILED(ext->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, v.get(),
                         nullptr, nullptr)))
    return std::nullopt;
  VariantHolder b;
  if (FAILED(VariantChangeType(b.get(), v.get(), 0, VT_BOOL))) return std::nullopt;
  return V_BOOL(b.get()) != VARIANT_FALSE;
}

FontRef BotonObject::ambient_font() {
  if (ambient_font_) return *ambient_font_;
  FontRef font;
  if (ComPtr<IDispatch> amb = site_.query<IDispatch>(IID_IDispatch)) {
    DISPPARAMS none{};
    VariantHolder v;
    if (SUCCEEDED(amb->Invoke(DISPID_AMBIENT_FONT, IID_NULL, LOCALE_USER_DEFAULT,
                              DISPATCH_PROPERTYGET, &none, v.get(), nullptr, nullptr)) &&
        (V_VT(v.get()) == VT_DISPATCH || V_VT(v.get()) == VT_UNKNOWN) && V_UNKNOWN(v.get())) {
      try {
        font = objects_.font_of(V_UNKNOWN(v.get()));
      } catch (const Error&) {
        font = nullptr;  // not a font: the container has none to offer
      }
    }
  }
  if (!font) font = label_.default_font();
  // Only a container's answer is kept; without a site the next one may know better.
  if (site_) ambient_font_ = font;
  return font;
}

// The container learns of changes through IsDirty when it comes to save.
void BotonObject::property_changed(std::string_view) { dirty_ = true; }

// ---- IConnectionPointContainer ----

HRESULT BotonObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT BotonObject::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != DIID___Boton) return CONNECT_E_NOCONNECTION;
  *out = &events_;
  events_.AddRef();
  return S_OK;
}

// ---- IProvideClassInfo2 ----

HRESULT BotonObject::GetClassInfo(ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return com_call([&] { *out = module_typeinfo(CLSID_Boton).detach(); });
}

HRESULT BotonObject::GetGUID(DWORD kind, GUID* guid) {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID___Boton;
  return S_OK;
}

HRESULT create_boton(REFIID riid, void** out) {
  BotonObject* obj = nullptr;
  try {
    obj = new BotonObject();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  const HRESULT hr = obj->QueryInterface(riid, out);
  obj->Release();
  return hr;
}

}  // namespace brelund::ax
