// The control through IDispatch and its COM objects, without a window: names and ids, every
// kind of property, errors as exceptions, the rebuild by dispatch id, events by reference,
// persistence both ways, and the module's lifetime rules.
#include <cstring>

#include "client_com.h"
#include "control/property_table.h"

namespace client {

namespace {

void names_and_ids(IDispatch* d) {
  for (const brelund::Member& m : brelund::members()) {
    const std::wstring name(m.name.begin(), m.name.end());
    check(dispid_of(d, name.c_str()) == m.dispid, "dispatch id by name", std::string(m.name));
  }
  check(dispid_of(d, L"roundness3d") == 0x68030000, "names are case-insensitive");
  LPOLESTR bad = const_cast<LPOLESTR>(L"NoSuchMember");
  DISPID id = 0;
  check(d->GetIDsOfNames(IID_NULL, &bad, 1, 0, &id) == DISP_E_UNKNOWNNAME, "unknown name refused");
}

void properties(IDispatch* d) {
  VARIANT s = string_value(L"Bot\u00f3n de prueba");
  check_hr(put(d, L"Caption", s), "put Caption");
  VariantClear(&s);
  check(get_string(d, L"Caption") == L"Bot\u00f3n de prueba", "Caption round trip");

  VARIANT b;
  VariantInit(&b);
  V_VT(&b) = VT_BOOL;
  V_BOOL(&b) = VARIANT_FALSE;
  check_hr(put(d, L"Enabled", b), "put Enabled");
  VariantHolder e;
  get(d, L"Enabled", e.get());
  check(V_VT(e.get()) == VT_BOOL && V_BOOL(e.get()) == VARIANT_FALSE, "Enabled reads False");
  V_BOOL(&b) = VARIANT_TRUE;
  put(d, L"Enabled", b);

  const std::pair<const wchar_t*, long> longs[] = {{L"RoundSize", 31},
                                                   {L"Light", 60},
                                                   {L"Roundness3D", 7},
                                                   {L"BackColor", 0x00336699},
                                                   {L"ForeColor", 0x000000FF}};
  for (const auto& [name, value] : longs) {
    check_hr(put(d, name, long_value(value)), "put a Long");
    check_eq(get_long(d, name), value, "Long property round trip");
  }
  VariantHolder orig;
  check_hr(call(d, dispid_of(d, L"BackColorOriginal"), orig.get()),
           "BackColorOriginal as a method");
  check(V_VT(orig.get()) == VT_I4 && V_I4(orig.get()) == 0x00336699,
        "BackColorOriginal keeps the OLE colour");
  // OLE_COLOR is published unsigned: a client that passes that very type reaches the system
  // colours as the dual interface's put_BackColor does. Other Longs keep their range.
  VARIANT sys;
  VariantInit(&sys);
  V_VT(&sys) = VT_UI4;
  V_UI4(&sys) = 0x80000005u;
  check_hr(put(d, L"ForeColor", sys), "put ForeColor as an unsigned OLE_COLOR");
  check_hr(put(d, L"BackColor", sys), "put BackColor as an unsigned OLE_COLOR");
  check_eq(static_cast<unsigned long>(get_long(d, L"BackColorOriginal")), 0x80000005ul,
           "the system colour arrives unchanged");
  check(put(d, L"RoundSize", sys) != S_OK, "an unsigned value past a Long's range overflows");
  put(d, L"BackColor", long_value(0x00336699));

  put(d, L"MousePointer", long_value(2));
  VariantHolder mp;
  get(d, L"MousePointer", mp.get());
  check(V_VT(mp.get()) == VT_I2 && V_I2(mp.get()) == 2, "MousePointer is an Integer");

  // Text that holds a number converts by the control's rules.
  VARIANT hex_text = string_value(L"&H10");
  check_hr(put(d, L"RoundSize", hex_text), "put RoundSize from text");
  VariantClear(&hex_text);
  check_eq(get_long(d, L"RoundSize"), 16L, "&H10 is 16");

  // A value past the published type's range is refused by the conversion, as the system's
  // dispatcher refuses it; the control's own failures come back as exceptions with its number
  // and description.
  EXCEPINFO ei{};
  CHECK_HR(put(d, L"MousePointer", long_value(70000), DISPATCH_PROPERTYPUT, &ei), DISP_E_OVERFLOW,
           "a Long past an Integer's range overflows");
  ei = {};
  check(put(d, L"MousePointer", long_value(16), DISPATCH_PROPERTYPUT, &ei) == DISP_E_EXCEPTION &&
            ei.scode == MAKE_HRESULT(1, FACILITY_CONTROL, 380),
        "invalid pointer shape is error 380");
  SysFreeString(ei.bstrDescription);
  SysFreeString(ei.bstrSource);

  VARIANT str = string_value(L"x");
  check(put(d, L"RoundSize", str) != S_OK, "text that is no number is refused");
  VariantClear(&str);
  check_eq(get_long(d, L"RoundSize"), 16L, "a refused value changes nothing");
  check_hr(call(d, dispid_of(d, L"Refresh")), "Refresh");

  // Objects: a font and a picture come back as the objects assigned.
  FONTDESC fd{sizeof(FONTDESC),
              const_cast<LPOLESTR>(L"Arial"),
              {},
              FW_BOLD,
              ANSI_CHARSET,
              FALSE,
              FALSE,
              FALSE};
  fd.cySize.int64 = 120000;
  ComPtr<IFontDisp> font;
  check_hr(OleCreateFontIndirect(&fd, IID_IFontDisp, font.put_void()), "a StdFont");
  VARIANT fv;
  V_VT(&fv) = VT_DISPATCH;
  V_DISPATCH(&fv) = font.get();
  check_hr(put(d, L"Font", fv, DISPATCH_PROPERTYPUTREF), "putref Font");
  VariantHolder fr;
  get(d, L"Font", fr.get());
  ComPtr<IFont> back = ComPtr<IUnknown>(V_UNKNOWN(fr.get())).query<IFont>(IID_IFont);
  Bstr fname;
  CY size{};
  if (back) {
    back->get_Name(fname.put());
    back->get_Size(&size);
  }
  // Wine's StdFont reports its face and size as realised (a substitute face, whole pixels):
  // compare with what the assigned object says itself.
  CY own{};
  Bstr own_name;
  ComPtr<IFont> mine = font.query<IFont>(IID_IFont);
  mine->get_Size(&own);
  mine->get_Name(own_name.put());
  check(fname.get() && own_name.get() && std::wstring(fname.get()) == own_name.get() &&
            size.int64 == own.int64,
        "Font round trip");
  check(ComPtr<IUnknown>(V_UNKNOWN(fr.get())).query<IUnknown>(IID_IUnknown).get() ==
            font.query<IUnknown>(IID_IUnknown).get(),
        "the font read back is the one assigned");

  PICTDESC pd{sizeof(PICTDESC), PICTYPE_BITMAP, {}};
  pd.bmp.hbitmap = CreateBitmap(4, 3, 1, 32, nullptr);
  ComPtr<IPictureDisp> pic;
  check_hr(OleCreatePictureIndirect(&pd, IID_IPictureDisp, TRUE, pic.put_void()), "a StdPicture");
  VARIANT pv;
  V_VT(&pv) = VT_DISPATCH;
  V_DISPATCH(&pv) = pic.get();
  for (const wchar_t* name : {L"Picture", L"MouseIcon"}) {
    check_hr(put(d, name, pv, DISPATCH_PROPERTYPUTREF), "putref a picture");
    VariantHolder r;
    get(d, name, r.get());
    ComPtr<IUnknown> a = ComPtr<IUnknown>(V_UNKNOWN(r.get())).query<IUnknown>(IID_IUnknown);
    ComPtr<IUnknown> b2 = ComPtr<IUnknown>(pic.get()).query<IUnknown>(IID_IUnknown);
    check(a && a.get() == b2.get(), "the picture read back is the one assigned");
  }

  // The dual interface's vtable reaches the same members.
  ComPtr<_Boton> dual = ComPtr<IDispatch>(d).query<_Boton>(IID__Boton);
  LONG rs = 0;
  check(
      dual && SUCCEEDED(dual->put_RoundSize(44)) && SUCCEEDED(dual->get_RoundSize(&rs)) && rs == 44,
      "vtable put_RoundSize/get_RoundSize");
  check(dual && dual->put_MousePointer(-1) == MAKE_HRESULT(1, FACILITY_CONTROL, 380),
        "vtable errors come back as the control's HRESULT");
}

void rebuild_and_events(IDispatch* d) {
  Sink sink;
  advise(d, sink);
  // Before any rebuild the whole rectangle is drawn; the rebuild cuts the corners away.
  const unsigned magenta = 0xFF00FF;
  std::vector<unsigned> before = draw(d, 197, 57, magenta);
  check(before[0] != magenta, "no mask before the first rebuild");
  check_hr(call(d, 0x6003002F), "CreaNuevaRegion by dispatch id");
  std::vector<unsigned> after = draw(d, 197, 57, magenta);
  check(after[0] == magenta, "the rebuild cuts the corner away");
  check(after[28 * 197 + 98] != magenta, "the middle stays the button's");
  check_eq(sink.count(8), 0, "CreaNuevaRegion raises no Resize");

  ComPtr<IOleObject> ole = ComPtr<IDispatch>(d).query<IOleObject>(IID_IOleObject);
  SIZEL hm{3000, 1000};
  check(ole && SUCCEEDED(ole->SetExtent(DVASPECT_CONTENT, &hm)), "SetExtent");
  check_eq(sink.count(8), 1, "a new extent raises Resize");
  check(sink.all_by_reference, "no event arguments by value");

  // Enter as the mnemonic of a default button: KeyDown and KeyUp with KeyCode 13, by reference;
  // a handler's change to KeyCode is what KeyUp then sees.
  ComPtr<IOleControl> ctl = ComPtr<IDispatch>(d).query<IOleControl>(IID_IOleControl);
  sink.clear();
  sink.on_event = [](DISPID id, DISPPARAMS* p) {
    if (id == 2) *V_I2REF(&p->rgvarg[1]) = 13;  // KeyCode stays Enter
  };
  MSG msg{nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  check(ctl && SUCCEEDED(ctl->OnMnemonic(&msg)), "OnMnemonic");
  check_eq(sink.count(2), 1, "mnemonic raises KeyDown");
  check(!sink.events.empty() && !sink.events[0].ints.empty() && sink.events[0].ints[0] == 13,
        "KeyDown with KeyCode 13");
  check(sink.all_by_reference, "key event arguments by reference");
}

void lifetime() {
  ComPtr<IClassFactory> factory;
  check_hr(CoGetClassObject(CLSID_Boton, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                            factory.put_void()),
           "class factory");
  if (!factory) return;
  ComPtr<IUnknown> obj;
  IUnknown* outer = factory.get();
  check(
      factory->CreateInstance(outer, IID_IUnknown, obj.put_void()) == CLASS_E_NOAGGREGATION && !obj,
      "aggregation refused");
  check_hr(factory->CreateInstance(nullptr, IID_IUnknown, obj.put_void()), "CreateInstance");
  void* junk = reinterpret_cast<void*>(0x1234);
  check(obj->QueryInterface(IID_IStorage, &junk) == E_NOINTERFACE && junk == nullptr,
        "QueryInterface nulls its output");
  ComPtr<IProvideClassInfo2> pci = obj.query<IProvideClassInfo2>(IID_IProvideClassInfo2);
  GUID g{};
  check(pci && SUCCEEDED(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &g)) && g == DIID___Boton,
        "default source interface");
  ComPtr<ITypeInfo> ti;
  check(pci && SUCCEEDED(pci->GetClassInfo(ti.put())) && ti, "class info");
  HMODULE m = GetModuleHandleW(L"Brelund32.ocx");
  auto can_unload = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(m, "DllCanUnloadNow")));
  check(can_unload != nullptr, "DllCanUnloadNow");
  if (!can_unload) return;
  check(can_unload() == S_FALSE, "objects alive: the module stays");
  ti.reset();
  pci.reset();
  obj.reset();
  check(can_unload() == S_FALSE, "the factory alive: the module stays");
  factory.reset();
  check(can_unload() == S_OK, "everything released: the module may go");
}

}  // namespace

int dispatch_checks() {
  {
    ComPtr<IDispatch> d = create_boton();
    if (!d) return 1;
    names_and_ids(d.get());
    properties(d.get());
  }
  {
    ComPtr<IDispatch> d = create_boton();
    rebuild_and_events(d.get());
  }
  stream_persistence_checks();
  bag_and_site_checks();
  argument_checks();
  lifetime();
  return 0;
}

}  // namespace client
