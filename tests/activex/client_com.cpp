#include "client_com.h"

#include "host/activex/gdi.h"

namespace client {

ComPtr<IDispatch> create_boton() {
  ComPtr<IDispatch> d;
  check_hr(
      CoCreateInstance(CLSID_Boton, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.put_void()),
      "CoCreateInstance Brelund.Boton");
  return d;
}

DISPID dispid_of(IDispatch* d, const wchar_t* name) {
  LPOLESTR n = const_cast<LPOLESTR>(name);
  DISPID id = DISPID_UNKNOWN;
  d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

void get(IDispatch* d, const wchar_t* name, VARIANT* out, HRESULT* hr) {
  DISPPARAMS none{};
  VariantInit(out);
  const HRESULT r = d->Invoke(dispid_of(d, name), IID_NULL, LOCALE_USER_DEFAULT,
                              DISPATCH_PROPERTYGET, &none, out, nullptr, nullptr);
  if (hr) *hr = r;
}

HRESULT put(IDispatch* d, const wchar_t* name, VARIANT value, WORD kind, EXCEPINFO* ei) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS p{&value, &named, 1, 1};
  return d->Invoke(dispid_of(d, name), IID_NULL, LOCALE_USER_DEFAULT, kind, &p, nullptr, ei,
                   nullptr);
}

HRESULT call(IDispatch* d, DISPID id, VARIANT* result) {
  DISPPARAMS none{};
  if (result) VariantInit(result);
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, result, nullptr,
                   nullptr);
}

long get_long(IDispatch* d, const wchar_t* name) {
  VariantHolder v;
  get(d, name, v.get());
  VariantChangeType(v.get(), v.get(), 0, VT_I4);
  return V_VT(v.get()) == VT_I4 ? V_I4(v.get()) : -999999;
}

std::wstring get_string(IDispatch* d, const wchar_t* name) {
  VariantHolder v;
  get(d, name, v.get());
  return V_VT(v.get()) == VT_BSTR && V_BSTR(v.get()) ? V_BSTR(v.get()) : L"<not a string>";
}

VARIANT long_value(long v) {
  VARIANT x;
  VariantInit(&x);
  V_VT(&x) = VT_I4;
  V_I4(&x) = v;
  return x;
}

VARIANT string_value(const wchar_t* s) {
  VARIANT x;
  VariantInit(&x);
  V_VT(&x) = VT_BSTR;
  V_BSTR(&x) = SysAllocString(s);
  return x;
}

HRESULT Sink::QueryInterface(REFIID riid, void** out) {
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID___Boton) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

HRESULT Sink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) {
  EventRecord r{id, {}, {}};
  for (UINT i = p->cArgs; i-- > 0;) {
    const VARIANT& a = p->rgvarg[i];
    if (!(V_VT(&a) & VT_BYREF)) all_by_reference = false;
    if (V_VT(&a) == (VT_I2 | VT_BYREF)) r.ints.push_back(*V_I2REF(&a));
    if (V_VT(&a) == (VT_R4 | VT_BYREF)) r.reals.push_back(*V_R4REF(&a));
  }
  events.push_back(r);
  if (on_event) on_event(id, p);
  return S_OK;
}

int Sink::count(DISPID id) const {
  int n = 0;
  for (const auto& e : events) n += e.id == id;
  return n;
}

DWORD advise(IUnknown* control, Sink& sink) {
  ComPtr<IConnectionPointContainer> cpc =
      ComPtr<IUnknown>(control).query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ComPtr<IConnectionPoint> cp;
  DWORD cookie = 0;
  check(cpc && SUCCEEDED(cpc->FindConnectionPoint(DIID___Boton, cp.put())),
        "connection point for __Boton");
  if (cp) check_hr(cp->Advise(static_cast<IDispatch*>(&sink), &cookie), "Advise");
  return cookie;
}

bool objects_alive() {
  HMODULE m = GetModuleHandleW(L"Brelund32.ocx");
  auto can_unload = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(m, "DllCanUnloadNow")));
  return !can_unload || can_unload() != S_OK;
}

HWND window_of(IUnknown* control) {
  ComPtr<IOleWindow> w = ComPtr<IUnknown>(control).query<IOleWindow>(IID_IOleWindow);
  HWND h = nullptr;
  if (w) w->GetWindow(&h);
  return h;
}

std::vector<unsigned> draw(IUnknown* control, int w, int h, unsigned background) {
  std::vector<unsigned> out(static_cast<std::size_t>(w) * h, background);
  ComPtr<IViewObject> view = ComPtr<IUnknown>(control).query<IViewObject>(IID_IViewObject);
  check(view.get() != nullptr, "IViewObject");
  if (!view) return out;
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  brelund::ax::Bitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  brelund::ax::MemoryDc dc;
  brelund::ax::Selection sel(dc.get(), bmp.get());
  std::copy(out.begin(), out.end(), static_cast<unsigned*>(bits));
  RECTL r{0, 0, w, h};
  check_hr(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc.get(), &r, nullptr,
                      nullptr, 0),
           "Draw");
  GdiFlush();
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = static_cast<unsigned*>(bits)[i] & 0xFFFFFFu;
  return out;
}

}  // namespace client
