// The orders in which form runtimes drive a control: sized, sited, quick-activated or shown
// before they load it, at design time and at run time. Each order must end with the saved set
// back whole, the size given before the load kept, and the container's font taken where the
// set holds none.
#include "client_site.h"

#include <algorithm>

namespace client {

namespace {

struct Expected {
  const wchar_t* name;
  long value;
};

// Every scalar key of the saved set, changed from its default.
const Expected kSaved[] = {{L"RoundSize", 7},
                           {L"Light", 12},
                           {L"Roundness3D", 3},
                           {L"MousePointer", 2},
                           {L"CreateRegion", 0},
                           {L"Enabled", 0},
                           {L"BackColorOriginal", 0x00123456}};

ComPtr<IFontDisp> make_font(const wchar_t* name, long long size_ten_thousandths) {
  FONTDESC fd{sizeof(FONTDESC),
              const_cast<LPOLESTR>(name),
              {},
              FW_NORMAL,
              ANSI_CHARSET,
              FALSE,
              FALSE,
              FALSE};
  fd.cySize.int64 = size_ten_thousandths;
  ComPtr<IFontDisp> f;
  OleCreateFontIndirect(&fd, IID_IFontDisp, f.put_void());
  return f;
}

// A font as name and size in ten-thousandths of a point: "Liberation Sans/123000".
std::wstring describe(IFont* f) {
  Bstr n;
  CY size{};
  if (!f || FAILED(f->get_Name(n.put())) || FAILED(f->get_Size(&size))) return L"<no font>";
  return std::wstring(n.get()) + L"/" + std::to_wstring(size.int64);
}

std::wstring font_of(IDispatch* d) {
  VariantHolder v;
  get(d, L"Font", v.get());
  if (V_VT(v.get()) != VT_DISPATCH || !V_DISPATCH(v.get())) return L"<no font>";
  return describe(ComPtr<IDispatch>(V_DISPATCH(v.get())).query<IFont>(IID_IFont).get());
}

// A saved set with every key changed, without a "Font" key: the saving control's font was its
// container's (it had none, so the design default).
ComPtr<IStream> saved_set() {
  ComPtr<IDispatch> a = create_boton();
  ComPtr<IPersistStreamInit> ps = a.query<IPersistStreamInit>(IID_IPersistStreamInit);
  CHECK_HR(ps->InitNew(), S_OK, "InitNew of the saving control");
  VARIANT caption = string_value(L"Saved");
  put(a.get(), L"Caption", caption);
  VariantClear(&caption);
  VARIANT tip = string_value(L"tip");
  put(a.get(), L"ToolTipText", tip);
  VariantClear(&tip);
  put(a.get(), L"ForeColor", long_value(0x00654321));
  for (const Expected& e : kSaved)
    if (std::wstring(e.name) != L"BackColorOriginal") put(a.get(), e.name, long_value(e.value));
  put(a.get(), L"BackColor", long_value(0x00123456));
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  CHECK_HR(ps->Save(s.get(), TRUE), S_OK, "Save of the saving control");
  return s;
}

void rewind(IStream* s) { s->Seek({}, STREAM_SEEK_SET, nullptr); }

bool holds_font_key(IPersistStreamInit* ps) {
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  ps->Save(s.get(), FALSE);
  HGLOBAL g = nullptr;
  GetHGlobalFromStream(s.get(), &g);
  STATSTG st{};
  s->Stat(&st, STATFLAG_NONAME);
  const auto* p = static_cast<const unsigned char*>(GlobalLock(g));
  const unsigned char key[] = {4, 0, 'F', 'o', 'n', 't'};
  const bool found =
      std::search(p, p + st.cbSize.QuadPart, key, key + sizeof key) != p + st.cbSize.QuadPart;
  GlobalUnlock(g);
  return found;
}

void check_loaded(IDispatch* d, const char* order) {
  const std::string where = std::string(order) + ": ";
  check(get_string(d, L"Caption") == L"Saved", (where + "Caption").c_str());
  check(get_string(d, L"ToolTipText") == L"tip", (where + "ToolTipText").c_str());
  for (const Expected& e : kSaved)
    check(get_long(d, e.name) == e.value, (where + "a saved key").c_str(),
          "key " + std::string(e.name, e.name + wcslen(e.name)) + " is " +
              std::to_string(get_long(d, e.name)) + ", want " + std::to_string(e.value));
}

struct Order {
  const char* name;
  // Steps before the load; the site is the form's.
  void (*before)(IDispatch* d, Site& site, HWND form);
  // Steps after it.
  void (*after)(IDispatch* d, Site& site, HWND form);
};

SIZEL kSize{2540 * 150 / 96, 2540 * 50 / 96};  // 150 x 50 pixels

void quick_activate(IDispatch* d, Site& site) {
  ComPtr<IQuickActivate> qa = ComPtr<IDispatch>(d).query<IQuickActivate>(IID_IQuickActivate);
  QACONTAINER c{};
  c.cbSize = sizeof c;
  c.pClientSite = &site;
  ComPtr<IFont> font = site.ambient_font.query<IFont>(IID_IFont);
  c.pFont = font.get();
  QACONTROL out{};
  out.cbSize = sizeof out;
  CHECK_HR(qa->QuickActivate(&c, &out), S_OK, "QuickActivate");
}

ComPtr<IOleObject> ole_of(IDispatch* d) {
  return ComPtr<IDispatch>(d).query<IOleObject>(IID_IOleObject);
}

const Order kOrders[] = {
    {"QuickActivate, SetContentExtent, Load",
     [](IDispatch* d, Site& site, HWND) {
       quick_activate(d, site);
       ComPtr<IQuickActivate> qa = ComPtr<IDispatch>(d).query<IQuickActivate>(IID_IQuickActivate);
       CHECK_HR(qa->SetContentExtent(&kSize), S_OK, "SetContentExtent before Load");
     },
     nullptr},
    {"SetClientSite, SetExtent, Load",
     [](IDispatch* d, Site& site, HWND) {
       CHECK_HR(ole_of(d)->SetClientSite(&site), S_OK, "SetClientSite");
       CHECK_HR(ole_of(d)->SetExtent(DVASPECT_CONTENT, &kSize), S_OK, "SetExtent before Load");
     },
     nullptr},
    {"SetExtent without a site, SetClientSite, Load",
     [](IDispatch* d, Site& site, HWND) {
       CHECK_HR(ole_of(d)->SetExtent(DVASPECT_CONTENT, &kSize), S_OK, "SetExtent before a site");
       CHECK_HR(ole_of(d)->SetClientSite(&site), S_OK, "SetClientSite");
     },
     nullptr},
    {"DoVerb(INPLACEACTIVATE), Load",
     [](IDispatch* d, Site& site, HWND form) {
       CHECK_HR(ole_of(d)->SetClientSite(&site), S_OK, "SetClientSite");
       CHECK_HR(ole_of(d)->SetExtent(DVASPECT_CONTENT, &kSize), S_OK, "SetExtent");
       CHECK_HR(ole_of(d)->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect),
                S_OK, "in-place activation before Load");
     },
     nullptr},
    // A form designer: sited first (OLEMISC_SETCLIENTSITEFIRST), loaded, sized, shown.
    {"design time: SetClientSite, Load, SetExtent, DoVerb(SHOW)",
     [](IDispatch* d, Site& site, HWND) {
       CHECK_HR(ole_of(d)->SetClientSite(&site), S_OK, "SetClientSite");
     },
     [](IDispatch* d, Site& site, HWND form) {
       CHECK_HR(ole_of(d)->SetExtent(DVASPECT_CONTENT, &kSize), S_OK, "SetExtent after Load");
       CHECK_HR(ole_of(d)->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, form, &site.rect), S_OK,
                "DoVerb(SHOW)");
     }},
    // A form at run time: quick activation, size, load, then in place with its rectangles.
    {"run time: QuickActivate, SetExtent, Load, DoVerb(INPLACEACTIVATE), SetObjectRects",
     [](IDispatch* d, Site& site, HWND) {
       quick_activate(d, site);
       CHECK_HR(ole_of(d)->SetExtent(DVASPECT_CONTENT, &kSize), S_OK, "SetExtent");
     },
     [](IDispatch* d, Site& site, HWND form) {
       CHECK_HR(ole_of(d)->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, form, &site.rect),
                S_OK, "DoVerb(INPLACEACTIVATE)");
       ComPtr<IOleInPlaceObject> ip =
           ComPtr<IDispatch>(d).query<IOleInPlaceObject>(IID_IOleInPlaceObject);
       RECT r{10, 10, 160, 60};
       CHECK_HR(ip->SetObjectRects(&r, &r), S_OK, "SetObjectRects");
     }},
};

}  // namespace

int order_checks() {
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
  ComPtr<IStream> set = saved_set();
  for (const Order& order : kOrders) {
    Site site(form);
    site.rect = RECT{10, 10, 160, 60};
    site.ambient_font = make_font(L"Courier New", 123000);
    ComPtr<IDispatch> d = create_boton();
    if (!d) break;
    order.before(d.get(), site, form);
    rewind(set.get());
    ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
    const HRESULT loaded = ps->Load(set.get());
    check(loaded == S_OK, order.name, "Load answered " + hex(loaded) + ", want S_OK");
    if (order.after) order.after(d.get(), site, form);
    check_loaded(d.get(), order.name);
    // The size given before the load, or the rectangle given after it, is the control's.
    SIZEL now{};
    ole_of(d.get())->GetExtent(DVASPECT_CONTENT, &now);
    check(std::labs(now.cx - kSize.cx) <= 27 && std::labs(now.cy - kSize.cy) <= 27, order.name,
          "extent " + std::to_string(now.cx) + " x " + std::to_string(now.cy) + ", want " +
              std::to_string(kSize.cx) + " x " + std::to_string(kSize.cy));
    // The set holds no font: the container's is taken, and is not saved back as a change.
    // The system's font object names the face it realised, which may stand in for the one
    // asked for: the container's font is whatever its own object names.
    const std::wstring ambient = describe(site.ambient_font.query<IFont>(IID_IFont).get());
    const std::wstring font = font_of(d.get());
    check(font == ambient, order.name,
          "the container's font was not taken: " + std::string(font.begin(), font.end()));
    check(!holds_font_key(ps.get()), order.name, "the container's own font was saved");
    CHECK_HR(ps->IsDirty(), S_FALSE, "clean after the load");
    // Loaded once: a second initialisation is refused as OLE says.
    rewind(set.get());
    CHECK_HR(ps->Load(set.get()), E_UNEXPECTED, "a second Load");
    CHECK_HR(ps->InitNew(), E_UNEXPECTED, "InitNew after Load");
    ComPtr<IOleObject> ole = ole_of(d.get());
    ole->Close(OLECLOSE_NOSAVE);
    ole->SetClientSite(nullptr);
  }
  // Without an ambient font the design default stands, and a changed font is saved.
  {
    Site site(form);
    ComPtr<IDispatch> d = create_boton();
    ole_of(d.get())->SetClientSite(&site);
    ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
    rewind(set.get());
    CHECK_HR(ps->Load(set.get()), S_OK, "Load with a site that has no font");
    const std::wstring font = font_of(d.get());
    check(font.ends_with(L"/82500"),
          "without an ambient font the design default (8.25 points) stands",
          std::string(font.begin(), font.end()));
    check(!holds_font_key(ps.get()), "the design default is not saved as a change");
    ComPtr<IFontDisp> arial = make_font(L"Arial", 100000);
    VARIANT f;
    VariantInit(&f);
    V_VT(&f) = VT_DISPATCH;
    V_DISPATCH(&f) = arial.get();
    CHECK_HR(put(d.get(), L"Font", f, DISPATCH_PROPERTYPUTREF), S_OK, "Set Font");
    check(holds_font_key(ps.get()), "a font of its own is saved");
    ole_of(d.get())->SetClientSite(nullptr);
  }
  DestroyWindow(form);
  return 0;
}

}  // namespace client
