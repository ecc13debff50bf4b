// IDispatch and the dual vtable of _Boton. Both go through the control's one member table, so
// names, dispatch ids and conversions cannot drift apart between the two ways in.
#include "host/activex/boton_object.h"
#include "host/activex/dispatch_args.h"
#include "host/activex/utf16.h"

namespace brelund::ax {

namespace {

const Member* member_by_id(DISPID id) {
  for (const Member& m : members())
    if (m.dispid == id) return &m;
  return nullptr;
}

// The dual interface's accessors find their member by its published name, once.
DISPID id_of(std::string_view name) {
  const Member* m = find_member(name);
  return m ? m->dispid : DISPID_UNKNOWN;
}

// The argument as the control takes it, once it holds its published type: an OLE_COLOR
// (VT_UI4) is the control's signed colour of the same 32 bits.
Variant argument(ObjectCache& objects, const VARIANT& v) {
  if (V_VT(&v) == VT_UI4) return static_cast<std::int32_t>(V_UI4(&v));
  return objects.from_variant(v);
}

void fill_excepinfo(EXCEPINFO* e, const Status& s) {
  if (!e) return;
  *e = EXCEPINFO{};
  e->bstrSource = SysAllocString(L"Brelund.Boton");
  const std::wstring d = widen(s.description);
  e->bstrDescription = SysAllocStringLen(d.data(), static_cast<UINT>(d.size()));
  e->scode = hresult_of(s.number);
}

}  // namespace

HRESULT BotonObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT BotonObject::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return com_call([&] { *out = module_typeinfo(IID__Boton).detach(); });
}

HRESULT BotonObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  if (count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (UINT i = 0; i < count; ++i)
    if (!names[i]) return E_POINTER;
  const Member* m = find_member(narrow(names[0], wcslen(names[0])));
  if (!m) return DISP_E_UNKNOWNNAME;
  ids[0] = m->dispid;
  // None of the members has named parameters.
  return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT BotonObject::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  if (const HRESULT hr = check_dispparams(*params); FAILED(hr)) return hr;
  const Member* m = member_by_id(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  if (arg_err) *arg_err = 0;
  const bool is_put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool is_get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
  VariantHolder arg;
  if (is_put) {
    if (m->kind != MemberKind::property) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs > 1 ||
        (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
      return DISP_E_PARAMNOTFOUND;
    // A value that cannot become the published type is refused as the system's dispatcher
    // refuses it, naming the argument, before the control sees anything.
    if (const HRESULT hr = convert_argument(m->type, params->rgvarg[0], lcid, arg.get());
        FAILED(hr))
      return hr;
  } else if (!is_get) {
    return DISP_E_MEMBERNOTFOUND;
  } else if (params->cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  } else if (params->cArgs != 0) {
    return DISP_E_BADPARAMCOUNT;
  }
  if (result) VariantInit(result);
  const Step step(*this);
  const Status s = guarded([&] {
    ensure_initialised();
    Boton& b = control();
    if (is_put) {
      m->put(b, argument(objects_, *arg.get()));
    } else if (m->get) {
      const Variant v = m->get(b);
      if (result) objects_.to_variant(v, result);
    } else {
      m->call(b);
    }
    if (m->type == ValueType::font) watch_font();
  });
  if (s.ok()) return S_OK;
  if (!excep) {
    set_error_info(s);
    return hresult_of(s.number);
  }
  fill_excepinfo(excep, s);
  return DISP_E_EXCEPTION;
}

HRESULT BotonObject::get_member(DISPID id, VARIANT* out) {
  VariantInit(out);
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    const Member* m = member_by_id(id);
    if (!m) errors::not_supported();
    objects_.to_variant(m->get(control()), out);
    if (m->type == ValueType::font) watch_font();
  });
}

HRESULT BotonObject::put_member(DISPID id, VARIANT& value) {
  const Step step(*this);
  return com_call([&] {
    ensure_initialised();
    const Member* m = member_by_id(id);
    if (!m) errors::not_supported();
    if (m->put)
      m->put(control(), objects_.from_variant(value));
    else
      m->call(control());
    if (m->type == ValueType::font) watch_font();
  });
}

// The font object a client holds is the control's font: changing it through that object is
// changing the control's font, which is then saved, redrawn and announced like any other.
void BotonObject::watch_font() {
  const FontRef f = control().Font();
  if (!f) {
    font_watch_.stop();
    return;
  }
  ComPtr<IFontDisp> obj = objects_.font_object(f);
  font_watch_.watch(obj.get());
}

void BotonObject::font_object_changed(IUnknown* font) {
  const Step step(*this);
  const Status s = guarded([&] {
    const FontRef now = objects_.refresh_font(font);
    const Member* m = find_member("Font");
    m->put(control(), Variant(now));
  });
  if (!s.ok()) set_error_info(s);
}

template <class T>
HRESULT BotonObject::get_as(DISPID id, VARTYPE vt, T* out) {
  if (!out) return E_POINTER;
  *out = T{};
  VariantHolder v;
  HRESULT hr = get_member(id, v.get());
  if (FAILED(hr)) return hr;
  if (V_VT(v.get()) != vt && FAILED(hr = VariantChangeType(v.get(), v.get(), 0, vt))) return hr;
  if constexpr (std::is_same_v<T, BSTR>) {
    *out = V_BSTR(v.get());
    V_VT(v.get()) = VT_EMPTY;  // the caller owns the string now
  } else if constexpr (std::is_same_v<T, VARIANT_BOOL>) {
    *out = V_BOOL(v.get());
  } else if constexpr (std::is_same_v<T, short>) {
    *out = V_I2(v.get());
  } else if constexpr (std::is_same_v<T, LONG> || std::is_same_v<T, OLE_COLOR>) {
    *out = static_cast<T>(V_I4(v.get()));
  } else {
    // Object properties: the dispatch pointer already is the wanted interface's dispatch
    // face; ask it properly all the same.
    using I = std::remove_pointer_t<T>;
    if (V_DISPATCH(v.get()))
      return V_DISPATCH(v.get())->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
  }
  return S_OK;
}

namespace {
VARIANT make(VARTYPE vt) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = vt;
  return v;
}
}  // namespace

#define BRELUND_GET(Name, Vt, T) \
  HRESULT BotonObject::get_##Name(T* v) { return get_as(id_of(#Name), Vt, v); }
#define BRELUND_PUT(Prefix, Name, Vt, T, Field) \
  HRESULT BotonObject::Prefix##_##Name(T v) {   \
    VARIANT a = make(Vt);                       \
    Field(&a) = v;                              \
    return put_member(id_of(#Name), a);         \
  }

BRELUND_GET(Caption, VT_BSTR, BSTR)
BRELUND_PUT(put, Caption, VT_BSTR, BSTR, V_BSTR)
BRELUND_GET(Enabled, VT_BOOL, VARIANT_BOOL)
BRELUND_PUT(put, Enabled, VT_BOOL, VARIANT_BOOL, V_BOOL)
BRELUND_GET(Font, VT_DISPATCH, IFontDisp*)
BRELUND_PUT(putref, Font, VT_DISPATCH, IFontDisp*, V_DISPATCH)
BRELUND_GET(MouseIcon, VT_DISPATCH, IPictureDisp*)
BRELUND_PUT(putref, MouseIcon, VT_DISPATCH, IPictureDisp*, V_DISPATCH)
BRELUND_GET(MousePointer, VT_I2, short)
BRELUND_PUT(put, MousePointer, VT_I2, short, V_I2)
BRELUND_GET(Picture, VT_DISPATCH, IPictureDisp*)
BRELUND_PUT(putref, Picture, VT_DISPATCH, IPictureDisp*, V_DISPATCH)
BRELUND_GET(BackColor, VT_I4, OLE_COLOR)
BRELUND_PUT(put, BackColor, VT_I4, OLE_COLOR, V_I4)
BRELUND_GET(ForeColor, VT_I4, OLE_COLOR)
BRELUND_PUT(put, ForeColor, VT_I4, OLE_COLOR, V_I4)
BRELUND_GET(RoundSize, VT_I4, LONG)
BRELUND_PUT(put, RoundSize, VT_I4, LONG, V_I4)
BRELUND_GET(Light, VT_I4, LONG)
BRELUND_PUT(put, Light, VT_I4, LONG, V_I4)
BRELUND_GET(ToolTipText, VT_BSTR, BSTR)
BRELUND_PUT(put, ToolTipText, VT_BSTR, BSTR, V_BSTR)
BRELUND_GET(CreateRegion, VT_BOOL, VARIANT_BOOL)
BRELUND_PUT(put, CreateRegion, VT_BOOL, VARIANT_BOOL, V_BOOL)
BRELUND_GET(Roundness3D, VT_I4, LONG)
BRELUND_PUT(put, Roundness3D, VT_I4, LONG, V_I4)

HRESULT BotonObject::Refresh() {
  VARIANT none = make(VT_EMPTY);
  return put_member(id_of("Refresh"), none);
}

HRESULT BotonObject::CreaNuevaRegion() {
  VARIANT none = make(VT_EMPTY);
  return put_member(id_of("CreaNuevaRegion"), none);
}

HRESULT BotonObject::BackColorOriginal(LONG* v) {
  return get_as(id_of("BackColorOriginal"), VT_I4, v);
}

}  // namespace brelund::ax
