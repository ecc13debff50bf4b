// Construction, identity, lifetime and the container queries of a Boton object.
#include <cassert>

#include "host/activex/boton_object.h"

#include "host/activex/enumerator.h"

namespace brelund::ax {

BotonObject::BotonObject() = default;

BotonObject::~BotonObject() {
  font_watch_.stop();
  disconnect_reader();
  destroy_window();
}

ULONG BotonObject::Release() {
  const ULONG n = --refs_;
  if (n == 0) {
    delete this;
  } else if (n == steps_) {
    // Only the steps in progress still hold the object: the container has let it go inside
    // one of its events, and the control raises nothing more.
    instance_.retire();
  }
  return n;
}

HRESULT BotonObject::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Boton)
    *out = static_cast<_Boton*>(this);
  else if (riid == IID_IConnectionPointContainer)
    *out = static_cast<IConnectionPointContainer*>(this);
  else if (riid == IID_IPersistStreamInit || riid == IID_IPersist || riid == IID_IPersistStream)
    // IPersistStream's vtable is IPersistStreamInit's without InitNew at its end.
    *out = static_cast<IPersistStreamInit*>(this);
  else if (riid == IID_IPersistPropertyBag)
    *out = static_cast<IPersistPropertyBag*>(this);
  else if (riid == IID_IPersistStorage)
    *out = static_cast<IPersistStorage*>(this);
  else if (riid == IID_IOleObject)
    *out = static_cast<IOleObject*>(this);
  else if (riid == IID_IOleInPlaceObject || riid == IID_IOleWindow)
    *out = static_cast<IOleInPlaceObject*>(this);
  else if (riid == IID_IOleInPlaceActiveObject)
    *out = static_cast<IOleInPlaceActiveObject*>(this);
  else if (riid == IID_IOleControl)
    *out = static_cast<IOleControl*>(this);
  else if (riid == IID_IQuickActivate)
    *out = static_cast<IQuickActivate*>(this);
  else if (riid == IID_IViewObject || riid == IID_IViewObject2)
    *out = static_cast<IViewObject2*>(this);
  else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
    *out = static_cast<IProvideClassInfo2*>(this);
  else if (riid == IID_ISupportErrorInfo)
    *out = static_cast<ISupportErrorInfo*>(this);
  else if (riid == IID_IObjectSafety)
    *out = static_cast<IObjectSafety*>(this);
  else if (riid == IID_IBotonDiagnostics)
    *out = static_cast<IBotonDiagnostics*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

void BotonObject::raise_on_failure(const Status& s) {
  if (s.gone) throw ControlGone{};
  throw_if_failed(s);
}

void BotonObject::retire_if_in_step() noexcept {
  if (steps_ > 0) instance_.retire();
}

void BotonObject::enter(Activation to) noexcept {
  [[maybe_unused]] const int step = static_cast<int>(to) - static_cast<int>(activation_);
  assert(step >= -1 && step <= 1);
  activation_ = to;
}

void BotonObject::ensure_initialised() {
  if (activation_ != Activation::loaded) return;
  enter(Activation::running);
  raise_on_failure(instance_.init());
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

// The container learns of changes through IsDirty when it comes to save, and a property
// browser through IPropertyNotifySink at once.
void BotonObject::property_changed(std::string_view name) {
  dirty_ = true;
  view_dirty_ = true;
  if (const Member* m = find_member(name)) notify_.changed(m->dispid);
  if (name == "Caption" || name == "ToolTipText") notify_reader(EVENT_OBJECT_NAMECHANGE);
  if (name == "ToolTipText") notify_reader(EVENT_OBJECT_DESCRIPTIONCHANGE);
  if (name == "Enabled") notify_reader(EVENT_OBJECT_STATECHANGE);
}

void BotonObject::view_changed() {
  if (view_sink_) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
  if ((view_advise_flags_ & ADVF_ONLYONCE) != 0) view_sink_.reset();
}

// ---- IConnectionPointContainer ----

HRESULT BotonObject::EnumConnectionPoints(IEnumConnectionPoints** out) {
  return enum_points(static_cast<_Boton&>(*this), {&events_, &notify_}, out);
}

HRESULT BotonObject::FindConnectionPoint(REFIID riid, IConnectionPoint** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == DIID___Boton)
    *out = &events_;
  else if (riid == IID_IPropertyNotifySink)
    *out = &notify_;
  else
    return CONNECT_E_NOCONNECTION;
  (*out)->AddRef();
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

// ---- ISupportErrorInfo, IObjectSafety ----

// Every failure of the dual interface (and of Invoke without EXCEPINFO) sets an error object.
HRESULT BotonObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return riid == IID__Boton || riid == IID_IDispatch ? S_OK : S_FALSE;
}

namespace {
constexpr DWORD kSafeOptions =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
// Scripting goes through the automation interfaces; initialisation through the persistence ones.
bool safety_applies(REFIID riid) {
  return riid == IID_IDispatch || riid == IID__Boton || riid == IID_IPersistPropertyBag ||
         riid == IID_IPersistStreamInit || riid == IID_IPersistStream ||
         riid == IID_IPersistStorage;
}
}  // namespace

HRESULT BotonObject::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) {
  if (!supported || !enabled) return E_POINTER;
  *supported = *enabled = 0;
  if (!safety_applies(riid)) return E_NOINTERFACE;
  *supported = kSafeOptions;
  *enabled = safety_ & kSafeOptions;
  return S_OK;
}

HRESULT BotonObject::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) {
  if (!safety_applies(riid)) return E_NOINTERFACE;
  if ((mask & ~kSafeOptions) != 0) return E_FAIL;
  safety_ = (safety_ & ~mask) | (enabled & mask);
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
