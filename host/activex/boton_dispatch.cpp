// IDispatch and the dual vtable of _Boton. Both go through the control's one member table, so
// names, dispatch ids and conversions cannot drift apart between the two ways in.
#include "host/activex/boton_object.h"
#include "host/activex/text.h"

namespace brelund::ax {

namespace {

const Member* member_by_id(DISPID id) {
  for (const Member& m : members())
    if (m.dispid == id) return &m;
  return nullptr;
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

HRESULT BotonObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  if (count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  const Member* m = find_member(narrow(names[0], wcslen(names[0])));
  if (!m) return DISP_E_UNKNOWNNAME;
  ids[0] = m->dispid;
  // None of the members has named parameters.
  return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT BotonObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                            VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
  if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  const Member* m = member_by_id(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  if (arg_err) *arg_err = 0;
  const bool is_put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool is_get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
  if (is_put) {
    if (m->kind != MemberKind::property) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs > 1 ||
        (params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
      return DISP_E_PARAMNOTFOUND;
  } else if (!is_get) {
    return DISP_E_MEMBERNOTFOUND;
  } else if (params->cArgs != 0) {
    return DISP_E_BADPARAMCOUNT;
  }
  if (result) VariantInit(result);
  const Status s = guarded([&] {
    ensure_initialised();
    Boton& b = *control_;
    if (is_put) {
      m->put(b, objects_.from_variant(params->rgvarg[0]));
    } else if (m->get) {
      const Variant v = m->get(b);
      if (result) objects_.to_variant(v, result);
    } else {
      m->call(b);
    }
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
  return com_call([&] {
    ensure_initialised();
    const Member* m = member_by_id(id);
    objects_.to_variant(m->get(*control_), out);
  });
}

HRESULT BotonObject::put_member(DISPID id, VARIANT& value) {
  return com_call([&] {
    ensure_initialised();
    const Member* m = member_by_id(id);
    if (m->put)
      m->put(*control_, objects_.from_variant(value));
    else
      m->call(*control_);
  });
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

#define BRELUND_GET(Name, Id, Vt, T) \
  HRESULT BotonObject::get_##Name(T* v) { return get_as(Id, Vt, v); }
#define BRELUND_PUT(Prefix, Name, Id, Vt, T, Field) \
  HRESULT BotonObject::Prefix##_##Name(T v) {       \
    VARIANT a = make(Vt);                           \
    Field(&a) = v;                                  \
    return put_member(Id, a);                       \
  }

BRELUND_GET(Caption, 0x6803000C, VT_BSTR, BSTR)
BRELUND_PUT(put, Caption, 0x6803000C, VT_BSTR, BSTR, V_BSTR)
BRELUND_GET(Enabled, 0x6803000B, VT_BOOL, VARIANT_BOOL)
BRELUND_PUT(put, Enabled, 0x6803000B, VT_BOOL, VARIANT_BOOL, V_BOOL)
BRELUND_GET(Font, 0x6803000A, VT_DISPATCH, IFontDisp*)
BRELUND_PUT(putref, Font, 0x6803000A, VT_DISPATCH, IFontDisp*, V_DISPATCH)
BRELUND_GET(MouseIcon, 0x68030009, VT_DISPATCH, IPictureDisp*)
BRELUND_PUT(putref, MouseIcon, 0x68030009, VT_DISPATCH, IPictureDisp*, V_DISPATCH)
BRELUND_GET(MousePointer, 0x68030008, VT_I2, short)
BRELUND_PUT(put, MousePointer, 0x68030008, VT_I2, short, V_I2)
BRELUND_GET(Picture, 0x68030007, VT_DISPATCH, IPictureDisp*)
BRELUND_PUT(putref, Picture, 0x68030007, VT_DISPATCH, IPictureDisp*, V_DISPATCH)
BRELUND_GET(BackColor, 0x68030006, VT_I4, OLE_COLOR)
BRELUND_PUT(put, BackColor, 0x68030006, VT_I4, OLE_COLOR, V_I4)
BRELUND_GET(ForeColor, 0x68030005, VT_I4, OLE_COLOR)
BRELUND_PUT(put, ForeColor, 0x68030005, VT_I4, OLE_COLOR, V_I4)
BRELUND_GET(RoundSize, 0x68030004, VT_I4, LONG)
BRELUND_PUT(put, RoundSize, 0x68030004, VT_I4, LONG, V_I4)
BRELUND_GET(Light, 0x68030003, VT_I4, LONG)
BRELUND_PUT(put, Light, 0x68030003, VT_I4, LONG, V_I4)
BRELUND_GET(ToolTipText, 0x68030002, VT_BSTR, BSTR)
BRELUND_PUT(put, ToolTipText, 0x68030002, VT_BSTR, BSTR, V_BSTR)
BRELUND_GET(CreateRegion, 0x68030001, VT_BOOL, VARIANT_BOOL)
BRELUND_PUT(put, CreateRegion, 0x68030001, VT_BOOL, VARIANT_BOOL, V_BOOL)
BRELUND_GET(Roundness3D, 0x68030000, VT_I4, LONG)
BRELUND_PUT(put, Roundness3D, 0x68030000, VT_I4, LONG, V_I4)

HRESULT BotonObject::Refresh() {
  VARIANT none = make(VT_EMPTY);
  return put_member(0x60030028, none);
}

HRESULT BotonObject::CreaNuevaRegion() {
  VARIANT none = make(VT_EMPTY);
  return put_member(0x6003002F, none);
}

HRESULT BotonObject::BackColorOriginal(LONG* v) { return get_as(0x6003002E, VT_I4, v); }

}  // namespace brelund::ax
