// Persistence through the two interfaces a container uses, and what the control asks of its
// client site: the extender's Default and Cancel, and the ambient font.
#include <cstring>
#include <map>

#include "client_com.h"

namespace client {

namespace {

// A container's property bag: what was written, by name.
class Bag final : public IPropertyBag {
 public:
  ~Bag() {
    for (auto& [k, v] : values) VariantClear(&v);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyBag) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* v, IErrorLog*) override {
    auto it = values.find(name);
    if (it == values.end()) return E_INVALIDARG;
    return VariantCopy(v, &it->second);
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* v) override {
    VARIANT copy;
    VariantInit(&copy);
    VariantCopy(&copy, v);
    VariantClear(&values[name]);
    values[name] = copy;
    return S_OK;
  }
  std::map<std::wstring, VARIANT> values;
};

// The extender answers Default (True) and knows no Cancel.
class Extender final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                          DISPID* id) override {
    if (std::wstring(names[0]) != L"Default") return DISP_E_UNKNOWNNAME;
    *id = 7;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* r,
                                   EXCEPINFO*, UINT*) override {
    if (id != 7 || !r) return DISP_E_MEMBERNOTFOUND;
    V_VT(r) = VT_BOOL;
    V_BOOL(r) = VARIANT_TRUE;
    return S_OK;
  }
};

// A client site with an extender and an ambient font (and nothing in place).
class Site final : public IOleClientSite, public IOleControlSite, public IDispatch {
 public:
  explicit Site(IFontDisp* font) : font_(font) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
      *out = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleControlSite)
      *out = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IDispatch)
      *out = static_cast<IDispatch*>(this);
    else
      return E_NOINTERFACE;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** m) override {
    *m = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** c) override {
    *c = nullptr;
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** d) override {
    *d = &extender_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
  // IDispatch: the ambient properties
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* r,
                                   EXCEPINFO*, UINT*) override {
    if (id != DISPID_AMBIENT_FONT || !r) return DISP_E_MEMBERNOTFOUND;
    V_VT(r) = VT_DISPATCH;
    V_DISPATCH(r) = font_;
    font_->AddRef();
    return S_OK;
  }

 private:
  IFontDisp* font_;
  Extender extender_;
};

}  // namespace

void stream_persistence_checks() {
  ComPtr<IDispatch> a = create_boton();
  ComPtr<IPersistStreamInit> pa = a.query<IPersistStreamInit>(IID_IPersistStreamInit);
  check_hr(pa->InitNew(), "InitNew");
  check_eq(pa->InitNew(), E_UNEXPECTED, "a second InitNew is refused as OLE says");
  VARIANT s = string_value(L"Guardado");
  put(a.get(), L"Caption", s);
  VariantClear(&s);
  put(a.get(), L"RoundSize", long_value(33));
  put(a.get(), L"BackColor", long_value(0x123456));
  FONTDESC fd{sizeof(FONTDESC),
              const_cast<LPOLESTR>(L"Courier New"),
              {},
              FW_BOLD,
              ANSI_CHARSET,
              TRUE,
              FALSE,
              FALSE};
  fd.cySize.int64 = 150000;
  ComPtr<IFontDisp> font;
  OleCreateFontIndirect(&fd, IID_IFontDisp, font.put_void());
  VARIANT fv;
  V_VT(&fv) = VT_DISPATCH;
  V_DISPATCH(&fv) = font.get();
  check_hr(put(a.get(), L"Font", fv, DISPATCH_PROPERTYPUTREF), "putref Font");
  check(pa->IsDirty() == S_OK, "changed properties make the object dirty");
  ComPtr<IStream> stream;
  CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
  check_hr(pa->Save(stream.get(), TRUE), "Save to a stream");
  check(pa->IsDirty() == S_FALSE, "saving clears dirty");
  ULARGE_INTEGER end{};
  stream->Seek({}, STREAM_SEEK_CUR, &end);
  ULARGE_INTEGER max{};
  pa->GetSizeMax(&max);
  check(max.QuadPart == end.QuadPart, "GetSizeMax is the saved size");
  stream->Seek({}, STREAM_SEEK_SET, nullptr);
  ComPtr<IDispatch> b = create_boton();
  ComPtr<IPersistStreamInit> pb = b.query<IPersistStreamInit>(IID_IPersistStreamInit);
  check_hr(pb->Load(stream.get()), "Load from the stream");
  // A form just opened has nothing to save: its loads (a picture's among them) change nothing.
  check_eq(pb->IsDirty(), S_FALSE, "a loaded object is clean");
  check_eq(pb->Load(stream.get()), E_UNEXPECTED, "a second Load is refused");
  check_eq(pb->InitNew(), E_UNEXPECTED, "InitNew after Load is refused");
  check(get_string(b.get(), L"Caption") == L"Guardado", "Caption loaded");
  check_eq(get_long(b.get(), L"RoundSize"), 33L, "RoundSize loaded");
  check_eq(get_long(b.get(), L"BackColorOriginal"), 0x123456L, "BackColor loaded");
  check_eq(get_long(b.get(), L"Light"), 45L, "absent keys load their defaults");
  // The font travels as its attributes: a new font object that says what the old one said.
  VariantHolder fb;
  get(b.get(), L"Font", fb.get());
  ComPtr<IFont> loaded = ComPtr<IUnknown>(V_UNKNOWN(fb.get())).query<IFont>(IID_IFont);
  ComPtr<IFont> mine = font.query<IFont>(IID_IFont);
  Bstr n1, n2;
  BOOL bold = FALSE, italic = FALSE;
  if (loaded) {
    loaded->get_Name(n1.put());
    loaded->get_Bold(&bold);
    loaded->get_Italic(&italic);
  }
  mine->get_Name(n2.put());
  check(loaded && loaded.get() != mine.get() && n1.get() && n2.get() &&
            std::wstring(n1.get()) == n2.get() && bold && italic,
        "Font loaded with its face and style");

  // A stream that is not ours, or cut short, is refused without harm.
  for (const char* junk : {"not a Boton at all", "BRLB\x01\x00\x05\x00\xff\xff\xff\x7f"}) {
    ComPtr<IStream> bad;
    CreateStreamOnHGlobal(nullptr, TRUE, bad.put());
    bad->Write(junk, static_cast<ULONG>(std::strlen(junk) + 1), nullptr);
    bad->Seek({}, STREAM_SEEK_SET, nullptr);
    ComPtr<IDispatch> c = create_boton();
    check(FAILED(c.query<IPersistStreamInit>(IID_IPersistStreamInit)->Load(bad.get())),
          "a bad stream is refused");
  }
}

void bag_and_site_checks() {
  // Only what differs from its default is written; a new object reads it all back.
  Bag bag;
  ComPtr<IDispatch> a = create_boton();
  ComPtr<IPersistPropertyBag> pa = a.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  check(pa && SUCCEEDED(pa->InitNew()), "IPersistPropertyBag InitNew");
  VARIANT s = string_value(L"Bolsa");
  put(a.get(), L"Caption", s);
  VariantClear(&s);
  put(a.get(), L"Roundness3D", long_value(9));
  check(pa && SUCCEEDED(pa->Save(&bag, TRUE, FALSE)), "Save to a property bag");
  check(bag.values.count(L"Caption") && bag.values.count(L"Roundness3D"),
        "changed keys are written");
  for (const wchar_t* key :
       {L"RoundSize", L"Light", L"Enabled", L"BackColor", L"CreateRegion", L"Font"})
    check(!bag.values.count(key), "keys at their defaults are not written");
  ComPtr<IDispatch> b = create_boton();
  ComPtr<IPersistPropertyBag> pb = b.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  check(pb && SUCCEEDED(pb->Load(&bag, nullptr)), "Load from a property bag");
  check_eq(b.query<IPersistStreamInit>(IID_IPersistStreamInit)->IsDirty(), S_FALSE,
           "an object loaded from a bag is clean");
  check_eq(pb->InitNew(), E_UNEXPECTED, "InitNew after a bag's Load is refused");
  check(get_string(b.get(), L"Caption") == L"Bolsa", "Caption from the bag");
  check_eq(get_long(b.get(), L"Roundness3D"), 9L, "Roundness3D from the bag");
  check_eq(get_long(b.get(), L"RoundSize"), 20L, "absent keys read as their defaults");
  // A value the control cannot take fails the load with the control's error.
  Bag bad;
  VARIANT word = string_value(L"mucho");
  bad.Write(L"RoundSize", &word);
  VariantClear(&word);
  ComPtr<IDispatch> c = create_boton();
  check(c.query<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(&bad, nullptr) ==
            MAKE_HRESULT(1, FACILITY_CONTROL, 13),
        "a bad value in the bag fails with type mismatch");
  // The keys before the bad one were taken (the picture's among them); the container's
  // fallback to InitNew still starts clean.
  ComPtr<IPersistStreamInit> pc = c.query<IPersistStreamInit>(IID_IPersistStreamInit);
  check_hr(pc->InitNew(), "InitNew after a failed bag load");
  check_eq(pc->IsDirty(), S_FALSE, "the fallback to InitNew is clean");

  // In a site: Enter is a mnemonic of a default button, Escape none without a Cancel, and a load
  // without a Font key takes the container's ambient font.
  FONTDESC fd{sizeof(FONTDESC),
              const_cast<LPOLESTR>(L"Courier New"),
              {},
              FW_NORMAL,
              ANSI_CHARSET,
              FALSE,
              FALSE,
              TRUE};
  fd.cySize.int64 = 100000;
  ComPtr<IFontDisp> ambient;
  OleCreateFontIndirect(&fd, IID_IFontDisp, ambient.put_void());
  Site site(ambient.get());
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  check_hr(ole->SetClientSite(&site), "SetClientSite");
  Bag empty;
  check_hr(d.query<IPersistPropertyBag>(IID_IPersistPropertyBag)->Load(&empty, nullptr),
           "Load in a site");
  CONTROLINFO info{};
  info.cb = sizeof info;
  check_hr(d.query<IOleControl>(IID_IOleControl)->GetControlInfo(&info), "GetControlInfo");
  check_eq(static_cast<int>(info.cAccel), 1, "one mnemonic: Enter of the default button");
  if (info.hAccel) {
    ACCEL keys[2]{};
    const int n = CopyAcceleratorTableW(info.hAccel, keys, 2);
    check(n == 1 && keys[0].key == VK_RETURN, "the mnemonic is Enter");
    DestroyAcceleratorTable(info.hAccel);
  }
  VariantHolder f;
  get(d.get(), L"Font", f.get());
  ComPtr<IFont> font = ComPtr<IUnknown>(V_UNKNOWN(f.get())).query<IFont>(IID_IFont);
  BOOL strike = FALSE;
  if (font) font->get_Strikethrough(&strike);
  check(font && strike, "the ambient font is the caption's font");
  ole->SetClientSite(nullptr);
}

}  // namespace client
