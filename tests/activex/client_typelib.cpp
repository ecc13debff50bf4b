// The published type library, resources, exports and registry entries, read back as a client
// sees them. The member checks walk the control's own member table, so the IDL and the table
// cannot disagree without this failing.
#include <windows.h>
#include <oleauto.h>

#include <set>
#include <vector>

#include "client.h"
#include "control/event_table.h"
#include "control/property_table.h"
#include "host/activex/com_ptr.h"
#include "typelib/brelund_h.h"

using brelund::ax::Bstr;
using brelund::ax::ComPtr;
using namespace client;

namespace {

std::wstring name_of(ITypeInfo* ti, MEMBERID id) {
  Bstr name;
  ti->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
  return name.get() ? name.get() : L"";
}

std::string utf8(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// The name of the type a VT_USERDEFINED refers to.
std::wstring ref_name(ITypeInfo* ti, HREFTYPE ref) {
  ComPtr<ITypeInfo> other;
  if (FAILED(ti->GetRefTypeInfo(ref, other.put()))) return L"?";
  return name_of(other.get(), MEMBERID_NIL);
}

// What a property of the given kind looks like in the type library.
std::wstring type_text(ITypeInfo* ti, const TYPEDESC& t) {
  switch (t.vt) {
    case VT_PTR:
      return L"*" + type_text(ti, *t.lptdesc);
    case VT_USERDEFINED:
      return ref_name(ti, t.hreftype);
    case VT_BSTR:
      return L"BSTR";
    case VT_BOOL:
      return L"VARIANT_BOOL";
    case VT_I2:
      return L"short";
    case VT_I4:
      return L"long";
    case VT_R4:
      return L"float";
    default:
      return L"vt" + std::to_wstring(t.vt);
  }
}

std::wstring expected_type(brelund::ValueType t) {
  using brelund::ValueType;
  switch (t) {
    case ValueType::string:
      return L"BSTR";
    case ValueType::boolean:
      return L"VARIANT_BOOL";
    case ValueType::font:
      return L"*IFontDisp";
    case ValueType::picture:
      return L"*IPictureDisp";
    case ValueType::int16:
      return L"short";
    case ValueType::ole_color:
      return L"OLE_COLOR";
    case ValueType::int32:
      return L"long";
    case ValueType::none:
      return L"";
  }
  return L"";
}

void check_vtable(ITypeInfo* iface) {
  TYPEATTR* ta = nullptr;
  iface->GetTypeAttr(&ta);
  check_eq(static_cast<int>(ta->typekind), static_cast<int>(TKIND_INTERFACE), "_Boton vtable view");
  const UINT nfuncs = ta->cFuncs;
  iface->ReleaseTypeAttr(ta);
  UINT index = 0;
  for (const brelund::Member& m : brelund::members()) {
    const std::string what = std::string(m.name);
    std::vector<INVOKEKIND> kinds;
    if (m.kind == brelund::MemberKind::method)
      kinds = {INVOKE_FUNC};
    else
      kinds = {INVOKE_PROPERTYGET, m.by_reference ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT};
    for (INVOKEKIND kind : kinds) {
      FUNCDESC* fd = nullptr;
      if (index >= nfuncs || FAILED(iface->GetFuncDesc(index, &fd))) {
        check(false, "member missing from the vtable", what);
        return;
      }
      ++index;
      check(fd->memid == m.dispid, "dispatch id", what + " " + hex(fd->memid));
      check(fd->invkind == kind, "accessor kind and order", what);
      check(utf8(name_of(iface, fd->memid)) == what, "member name", what);
      check(fd->callconv == CC_STDCALL && fd->elemdescFunc.tdesc.vt == VT_HRESULT,
            "stdcall returning HRESULT", what);
      check(fd->wFuncFlags == 0, "no member flags", what);
      const bool has_param = kind != INVOKE_FUNC || m.get != nullptr;
      check_eq(fd->cParams, has_param ? 1 : 0, (what + " parameter count").c_str());
      if (has_param && fd->cParams == 1) {
        const ELEMDESC& p = fd->lprgelemdescParam[0];
        const bool out = kind == INVOKE_PROPERTYGET || kind == INVOKE_FUNC;
        const USHORT want = out ? (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL) : PARAMFLAG_FIN;
        check(p.paramdesc.wParamFlags == want, "parameter direction", what);
        const std::wstring base =
            expected_type(m.type == brelund::ValueType::none ? brelund::ValueType::int32 : m.type);
        check(type_text(iface, p.tdesc) == (out ? L"*" + base : base), "parameter type",
              what + " " + utf8(type_text(iface, p.tdesc)));
        // Parameters carry no names: only the member's own name comes back.
        BSTR names[3] = {};
        UINT count = 0;
        iface->GetNames(fd->memid, names, 3, &count);
        for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        check_eq(count, 1u, (what + " names").c_str());
      }
      iface->ReleaseFuncDesc(fd);
    }
  }
  check_eq(index, nfuncs, "_Boton has exactly the table's members");
}

void check_events(ITypeInfo* ev) {
  TYPEATTR* ta = nullptr;
  ev->GetTypeAttr(&ta);
  check(ta->typekind == TKIND_DISPATCH, "__Boton is a dispinterface");
  check((ta->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE)) ==
            (TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE),
        "__Boton hidden and not extensible", hex(ta->wTypeFlags));
  check(ta->wMajorVerNum == 1 && ta->wMinorVerNum == 0, "__Boton version 1.0");
  check_eq(ta->cFuncs, 8, "__Boton has eight events");
  ev->ReleaseTypeAttr(ta);
  struct Event {
    const wchar_t* name;
    std::vector<std::wstring> params;
  };
  const std::wstring m[] = {L"*short", L"*short", L"*float", L"*float"};
  const Event events[] = {{L"Click", {}},
                          {L"KeyDown", {L"*short", L"*short"}},
                          {L"KeyPress", {L"*short"}},
                          {L"KeyUp", {L"*short", L"*short"}},
                          {L"MouseDown", {m, m + 4}},
                          {L"MouseMove", {m, m + 4}},
                          {L"MouseUp", {m, m + 4}},
                          {L"Resize", {}}};
  for (UINT i = 0; i < 8; ++i) {
    FUNCDESC* fd = nullptr;
    if (FAILED(ev->GetFuncDesc(i, &fd))) return check(false, "event missing");
    const std::string what = utf8(events[i].name);
    check_eq(fd->memid, static_cast<MEMBERID>(i + 1), (what + " dispatch id").c_str());
    check(name_of(ev, fd->memid) == events[i].name, "event name", what);
    check(fd->elemdescFunc.tdesc.vt == VT_VOID, "event returns nothing", what);
    check_eq(static_cast<std::size_t>(fd->cParams), events[i].params.size(),
             (what + " parameters").c_str());
    for (SHORT p = 0; p < fd->cParams && p < static_cast<SHORT>(events[i].params.size()); ++p) {
      const ELEMDESC& e = fd->lprgelemdescParam[p];
      check(type_text(ev, e.tdesc) == events[i].params[p], "event parameter by reference", what);
      check(e.paramdesc.wParamFlags == (PARAMFLAG_FIN | PARAMFLAG_FOUT), "event parameter in/out",
            what);
    }
    ev->ReleaseFuncDesc(fd);
  }
  // The control's events table, which the server fires from, agrees with the library: each
  // event's dispatch id, name, and its arguments' names and types in order.
  check_eq(brelund::events().size(), std::size_t{8}, "the events table has eight events");
  for (const brelund::EventInfo& e : brelund::events()) {
    const std::string what(e.name);
    FUNCDESC* fd = nullptr;
    UINT index = 0;
    ComPtr<ITypeInfo2> ev2 = ComPtr<ITypeInfo>(ev).query<ITypeInfo2>(IID_ITypeInfo2);
    if (!ev2 || FAILED(ev2->GetFuncIndexOfMemId(e.dispid(), INVOKE_FUNC, &index)) ||
        FAILED(ev->GetFuncDesc(index, &fd))) {
      check(false, "the table's event id is in the library", what);
      continue;
    }
    check(utf8(name_of(ev, fd->memid)) == what, "the table's event name", what);
    check_eq(static_cast<std::size_t>(fd->cParams), e.args.size(),
             (what + " argument count in the table").c_str());
    BSTR names[8] = {};
    UINT got = 0;
    ev->GetNames(fd->memid, names, 8, &got);
    for (std::size_t p = 0; p < e.args.size() && p < static_cast<std::size_t>(fd->cParams); ++p) {
      const std::wstring want =
          e.args[p].type == brelund::EventArgType::int16 ? L"*short" : L"*float";
      check(type_text(ev, fd->lprgelemdescParam[p].tdesc) == want, "the table's argument type",
            what);
      const std::wstring pname = p + 1 < got && names[p + 1] ? names[p + 1] : L"";
      check(utf8(pname) == std::string(e.args[p].name), "the table's argument name", what);
    }
    for (UINT i = 0; i < got; ++i) SysFreeString(names[i]);
    ev->ReleaseFuncDesc(fd);
  }
}

void check_coclass(ITypeInfo* co) {
  TYPEATTR* ta = nullptr;
  co->GetTypeAttr(&ta);
  check(ta->typekind == TKIND_COCLASS, "Boton is a coclass");
  check(ta->wTypeFlags == TYPEFLAG_FCONTROL, "Boton marked as a control only", hex(ta->wTypeFlags));
  check_eq(ta->cImplTypes, 2, "Boton implements two interfaces");
  check(ta->wMajorVerNum == 1 && ta->wMinorVerNum == 0, "Boton version 1.0");
  co->ReleaseTypeAttr(ta);
  const std::pair<const wchar_t*, INT> impls[] = {
      {L"_Boton", IMPLTYPEFLAG_FDEFAULT},
      {L"__Boton", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}};
  for (UINT i = 0; i < 2; ++i) {
    HREFTYPE ref = 0;
    INT flags = 0;
    co->GetRefTypeOfImplType(i, &ref);
    co->GetImplTypeFlags(i, &flags);
    check(ref_name(co, ref) == impls[i].first, "coclass interface", utf8(ref_name(co, ref)));
    check_eq(flags, impls[i].second, "coclass interface flags");
  }
}

void check_record(ITypeInfo* rec) {
  TYPEATTR* ta = nullptr;
  rec->GetTypeAttr(&ta);
  check(ta->typekind == TKIND_RECORD, "Colores is a record");
  check_eq(ta->cbSizeInstance, 12u, "Colores size");
  check_eq(ta->cbAlignment, 4, "Colores alignment");
  check_eq(ta->cVars, 3, "Colores fields");
  rec->ReleaseTypeAttr(ta);
  const wchar_t* names[] = {L"Red", L"Green", L"Blue"};
  for (UINT i = 0; i < 3; ++i) {
    VARDESC* vd = nullptr;
    if (FAILED(rec->GetVarDesc(i, &vd))) return check(false, "Colores field missing");
    check_eq(vd->memid, static_cast<MEMBERID>(0x40000000 + i), "Colores member id");
    check_eq(vd->oInst, 4 * i, "Colores field offset");
    check(vd->elemdescVar.tdesc.vt == VT_I4, "Colores field is a Long");
    check(name_of(rec, vd->memid) == names[i], "Colores field name");
    rec->ReleaseVarDesc(vd);
  }
}

}  // namespace

namespace client {

int typelib_checks() {
  ComPtr<ITypeLib> lib;
  HRESULT hr = LoadRegTypeLib(LIBID_Brelund, 1, 0, 0, lib.put());
  check_hr(hr, "LoadRegTypeLib Brelund 1.0 under the neutral locale");
  if (!lib) return 1;
  TLIBATTR* la = nullptr;
  lib->GetLibAttr(&la);
  check(la->wMajorVerNum == 1 && la->wMinorVerNum == 0, "library version 1.0");
  check((la->wLibFlags & LIBFLAG_FCONTROL) != 0, "library describes controls");
  check(la->lcid == 0 || la->lcid == 0x0409, "library locale", hex(static_cast<long>(la->lcid)));
  lib->ReleaseTLibAttr(la);
  Bstr name, help, helpfile;
  lib->GetDocumentation(-1, name.put(), help.put(), nullptr, helpfile.put());
  check(name.get() && std::wstring(name.get()) == L"Brelund", "library name");
  check(help.get() && SysStringLen(help.get()) > 0, "library help string");
  check(!helpfile.get() || SysStringLen(helpfile.get()) == 0, "no help file");

  const wchar_t* order[] = {L"_Boton", L"Boton", L"__Boton", L"Colores"};
  check_eq(lib->GetTypeInfoCount(), 4u, "four type descriptions");
  for (UINT i = 0; i < 4 && i < lib->GetTypeInfoCount(); ++i) {
    Bstr n;
    lib->GetDocumentation(static_cast<INT>(i), n.put(), nullptr, nullptr, nullptr);
    check(n.get() && std::wstring(n.get()) == order[i], "type order",
          utf8(n.get() ? n.get() : L""));
  }

  ComPtr<ITypeInfo> disp, iface, ev, co, rec;
  lib->GetTypeInfoOfGuid(IID__Boton, disp.put());
  // The dispatch view and the vtable view of the dual interface; the automation flag is the
  // vtable view's (the dispatch view of a dual interface is automation by nature).
  const WORD want =
      TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
  TYPEATTR* ta = nullptr;
  disp->GetTypeAttr(&ta);
  check((ta->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION) == want, "_Boton flags", hex(ta->wTypeFlags));
  check(ta->typekind == TKIND_DISPATCH && ta->wMajorVerNum == 1 && ta->wMinorVerNum == 0,
        "_Boton is a dispatch interface, version 1.0");
  disp->ReleaseTypeAttr(ta);
  HREFTYPE ref = 0;
  check_hr(disp->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), "_Boton has a vtable view");
  disp->GetRefTypeInfo(ref, iface.put());
  if (iface) {
    iface->GetTypeAttr(&ta);
    const WORD vt_want =
        TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
    check((ta->wTypeFlags & vt_want) == vt_want,
          "_Boton vtable view is dual, hidden, not extensible, automation", hex(ta->wTypeFlags));
    iface->ReleaseTypeAttr(ta);
    check_vtable(iface.get());
  }
  // Names resolve to the published ids through the type information too.
  for (const brelund::Member& m : brelund::members()) {
    std::wstring w(m.name.begin(), m.name.end());
    LPOLESTR n = w.data();
    MEMBERID id = 0;
    disp->GetIDsOfNames(&n, 1, &id);
    check(id == m.dispid, "typeinfo GetIDsOfNames", std::string(m.name));
  }
  lib->GetTypeInfoOfGuid(DIID___Boton, ev.put());
  if (ev) check_events(ev.get());
  lib->GetTypeInfoOfGuid(CLSID_Boton, co.put());
  if (co) check_coclass(co.get());
  ComPtr<ITypeInfo> any;
  if (SUCCEEDED(lib->GetTypeInfo(3, rec.put()))) check_record(rec.get());
  return 0;
}

}  // namespace client
