// What containers rely on beyond the dispatch interface: streams that lie about their lengths,
// loads that fail and fall back to InitNew, storages, property bags that fail, notifications to
// a property browser and their enumerators, the Font object as a live view of the control's
// font, activation by OLE's pairing rules, the cached accelerators, quick activation, drawing
// into the given bounds, and the small dispatch and safety rules.
#include "client_site.h"
// After windows.h, which it needs.
#include <psapi.h>
#include <objsafe.h>

#include <algorithm>

namespace client {

namespace {

// The most the process ever committed, in bytes.
SIZE_T peak_commit() {
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PeakPagefileUsage : 0;
}

ComPtr<IStream> stream_of(const std::vector<unsigned char>& bytes) {
  ComPtr<IStream> s;
  CreateStreamOnHGlobal(nullptr, TRUE, s.put());
  ULONG done = 0;
  s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
  s->Seek({}, STREAM_SEEK_SET, nullptr);
  return s;
}

std::vector<unsigned char> header(unsigned payload) {
  std::vector<unsigned char> h = {'B', 'R', 'L', 'B', 1, 0, 1, 0};
  for (int i = 0; i < 4; ++i) h.push_back(static_cast<unsigned char>(payload >> (8 * i)));
  return h;
}

void bad_streams() {
  const SIZE_T before = peak_commit();
  // A 12-byte stream that announces almost 4 GB, and one that announces 100 MB it lacks.
  for (unsigned payload : {0xFFFFFFF0u, 100u * 1024 * 1024}) {
    ComPtr<IDispatch> d = create_boton();
    ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
    const HRESULT hr = ps->Load(stream_of(header(payload)).get());
    check(FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_STORAGE,
          "an announced length the stream lacks fails with a storage error", hex(hr));
    // The object is still new: the container falls back to InitNew.
    check_hr(ps->InitNew(), "InitNew after a failed Load");
    check(get_long(d.get(), L"RoundSize") == 20, "the fallback has the new control's properties");
  }
  const SIZE_T grown = peak_commit() - before;
  check(grown < 8u * 1024 * 1024, "lying streams cost no more than a few MB",
        std::to_string(grown) + " bytes");

  // A stream that is only cut short fails the same way.
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IStream> good;
  CreateStreamOnHGlobal(nullptr, TRUE, good.put());
  ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
  ps->InitNew();
  ps->Save(good.get(), TRUE);
  STATSTG st{};
  good->Stat(&st, STATFLAG_NONAME);
  ULARGE_INTEGER cut{};
  cut.QuadPart = st.cbSize.QuadPart - 1;
  good->SetSize(cut);
  good->Seek({}, STREAM_SEEK_SET, nullptr);
  ComPtr<IDispatch> d2 = create_boton();
  ComPtr<IPersistStream> ps2 = d2.query<IPersistStream>(IID_IPersistStream);
  check(static_cast<bool>(ps2), "IPersistStream for document containers");
  check(ps2 && FAILED(ps2->Load(good.get())), "a stream cut short fails to load");
}

void storage_round_trip() {
  ComPtr<ILockBytes> bytes;
  CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put());
  ComPtr<IStorage> stg;
  check_hr(StgCreateDocfileOnILockBytes(
               bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, stg.put()),
           "a storage");
  if (!stg) return;
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IPersistStorage> ps = d.query<IPersistStorage>(IID_IPersistStorage);
  check(static_cast<bool>(ps), "IPersistStorage");
  if (!ps) return;
  check_hr(ps->InitNew(stg.get()), "IPersistStorage::InitNew");
  put(d.get(), L"RoundSize", long_value(33));
  {
    // A stream that refuses writes: its failure is what the container hears, and nothing
    // counts as saved.
    ComPtr<IStream> ro;
    stg->CreateStream(L"ReadOnly", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                      ro.put());
    ro.reset();
    stg->OpenStream(L"ReadOnly", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, ro.put());
    ComPtr<IPersistStreamInit> pst = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
    check_eq(pst->Save(ro.get(), TRUE), STG_E_ACCESSDENIED, "a refused write fails with its code");
    check_eq(pst->IsDirty(), S_OK, "a failed save leaves the object dirty");
  }
  check_hr(ps->Save(stg.get(), TRUE), "IPersistStorage::Save");
  check(ps->IsDirty() == S_OK, "dirty until SaveCompleted");
  ps->SaveCompleted(nullptr);
  check(ps->IsDirty() == S_FALSE, "clean after SaveCompleted");
  ComPtr<IDispatch> d2 = create_boton();
  ComPtr<IPersistStorage> ps2 = d2.query<IPersistStorage>(IID_IPersistStorage);
  check_hr(ps2->Load(stg.get()), "IPersistStorage::Load");
  check_eq(ps2->IsDirty(), S_FALSE, "clean after IPersistStorage::Load");
  check_eq(ps2->InitNew(stg.get()), CO_E_ALREADYINITIALIZED,
           "IPersistStorage::InitNew after Load is refused with its own code");
  check_eq(get_long(d2.get(), L"RoundSize"), 33L, "RoundSize through a storage");
}

// A bag whose reads fail with a device error for one key and know nothing else, and whose
// writes of that key fail as on a full disk.
class FailingBag final : public IPropertyBag {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyBag) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT*, IErrorLog*) override {
    return std::wstring(name) == L"Caption" ? STG_E_READFAULT : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT*) override {
    return std::wstring(name) == L"Caption" ? STG_E_MEDIUMFULL : S_OK;
  }
};

void failing_bag() {
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IPersistPropertyBag> pb = d.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  FailingBag bag;
  check_eq(pb->Load(&bag, nullptr), STG_E_READFAULT, "a failing read ends the load with it");
  check_hr(pb->InitNew(), "InitNew after the failed load");
  VARIANT caption = string_value(L"Lleno");
  put(d.get(), L"Caption", caption);
  VariantClear(&caption);
  check_eq(pb->Save(&bag, TRUE, FALSE), STG_E_MEDIUMFULL, "a refused write ends the save with it");
  check_eq(d.query<IPersistStreamInit>(IID_IPersistStreamInit)->IsDirty(), S_OK,
           "a failed save leaves the object dirty");
}

int count_of(const std::vector<DISPID>& v, DISPID id) {
  return static_cast<int>(std::count(v.begin(), v.end(), id));
}

void notifications_and_fonts() {
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IConnectionPointContainer> cpc =
      d.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ComPtr<IEnumConnectionPoints> points;
  check_hr(cpc->EnumConnectionPoints(points.put()), "EnumConnectionPoints");
  int n = 0;
  bool notify = false;
  if (points) {
    IConnectionPoint* p = nullptr;
    while (points->Next(1, &p, nullptr) == S_OK) {
      IID iid{};
      p->GetConnectionInterface(&iid);
      notify = notify || iid == IID_IPropertyNotifySink;
      p->Release();
      ++n;
    }
  }
  check(n == 2 && notify, "two connection points, one of them IPropertyNotifySink");
  ComPtr<IConnectionPoint> cp;
  check_hr(cpc->FindConnectionPoint(IID_IPropertyNotifySink, cp.put()), "the notify point");
  Browser browser;
  DWORD cookie = 0;
  check_hr(cp->Advise(&browser, &cookie), "a property browser advises");
  ComPtr<IEnumConnections> conns;
  check_hr(cp->EnumConnections(conns.put()), "EnumConnections");
  CONNECTDATA cd{};
  ULONG got = 0;
  check(conns && conns->Next(1, &cd, &got) == S_OK && got == 1 && cd.dwCookie == cookie,
        "the browser's connection is listed");
  if (got == 1) cd.pUnk->Release();

  const DISPID caption = dispid_of(d.get(), L"Caption"), font = dispid_of(d.get(), L"Font");
  VARIANT s = string_value(L"Nuevo");
  put(d.get(), L"Caption", s);
  VariantClear(&s);
  check(count_of(browser.changed, caption) >= 1, "OnChanged with Caption's DISPID");

  // Bold through the Font object the control hands out: dirty, announced, saved.
  ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
  ComPtr<IStream> scratch;
  CreateStreamOnHGlobal(nullptr, TRUE, scratch.put());
  ps->Save(scratch.get(), TRUE);
  check(ps->IsDirty() == S_FALSE, "clean after a save");
  VariantHolder fv;
  get(d.get(), L"Font", fv.get());
  ComPtr<IFont> f = ComPtr<IUnknown>(V_UNKNOWN(fv.get())).query<IFont>(IID_IFont);
  check(static_cast<bool>(f), "Font is an OLE font");
  if (!f) return;
  browser.changed.clear();
  f->put_Bold(TRUE);
  check(count_of(browser.changed, font) >= 1, "Font.Bold through the object announces Font");
  check(ps->IsDirty() == S_OK, "Font.Bold through the object makes the control dirty");
  ComPtr<IStream> saved;
  CreateStreamOnHGlobal(nullptr, TRUE, saved.put());
  ps->Save(saved.get(), TRUE);
  saved->Seek({}, STREAM_SEEK_SET, nullptr);
  ComPtr<IDispatch> d2 = create_boton();
  ComPtr<IPersistStreamInit> ps2 = d2.query<IPersistStreamInit>(IID_IPersistStreamInit);
  check_hr(ps2->Load(saved.get()), "reload");
  VariantHolder fv2;
  get(d2.get(), L"Font", fv2.get());
  ComPtr<IFont> f2 = ComPtr<IUnknown>(V_UNKNOWN(fv2.get())).query<IFont>(IID_IFont);
  BOOL bold = FALSE;
  check(f2 && SUCCEEDED(f2->get_Bold(&bold)) && bold, "the bold font was saved and reloaded");
  cp->Unadvise(cookie);
}

void dispatch_rules() {
  ComPtr<IDispatch> d = create_boton();
  LPOLESTR name = const_cast<LPOLESTR>(L"Caption");
  DISPID id = 0;
  check_eq(d->GetIDsOfNames(IID_IDispatch, &name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE,
           "GetIDsOfNames checks its riid");
  LPOLESTR none[1] = {nullptr};
  check_eq(d->GetIDsOfNames(IID_NULL, none, 1, 0, &id), E_POINTER, "a null name is refused");
  ComPtr<ISupportErrorInfo> sei = d.query<ISupportErrorInfo>(IID_ISupportErrorInfo);
  check(sei && sei->InterfaceSupportsErrorInfo(IID__Boton) == S_OK, "ISupportErrorInfo");
  ComPtr<IObjectSafety> safety = d.query<IObjectSafety>(IID_IObjectSafety);
  DWORD supported = 0, enabled = 0;
  check(safety &&
            SUCCEEDED(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled)) &&
            supported == (INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA),
        "safe for scripting and initialisation");
  check(safety && SUCCEEDED(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag,
                                                              INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                                              INTERFACESAFE_FOR_UNTRUSTED_DATA)),
        "initialisation made safe");

  // FreezeEvents nests and never goes below zero: one freeze after two thaws still freezes.
  Sink sink;
  advise(d.get(), sink);
  ComPtr<IOleControl> oc = d.query<IOleControl>(IID_IOleControl);
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  oc->FreezeEvents(FALSE);
  oc->FreezeEvents(FALSE);
  oc->FreezeEvents(TRUE);
  SIZEL size{5000, 1500};
  ole->SetExtent(DVASPECT_CONTENT, &size);
  check_eq(sink.count(8), 0, "no Resize while frozen after unbalanced thaws");
  oc->FreezeEvents(FALSE);
  size.cx = 6000;
  ole->SetExtent(DVASPECT_CONTENT, &size);
  check_eq(sink.count(8), 1, "Resize once thawed");
}

void activation_rules() {
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
  Site site(form);
  site.extender.is_default = true;
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  ole->SetClientSite(&site);
  // A refused activation owes nothing; an accepted one is paired however it ends.
  site.refuse_activation = true;
  check(FAILED(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, form, &site.rect)),
        "a refused activation fails");
  check(site.in_place_activations == 0 && site.in_place_deactivations == 0,
        "a refused activation calls nothing");
  site.refuse_activation = false;
  {
    // A site with no window to activate in: the activation fails after OnInPlaceActivate and
    // unwinds with OnInPlaceDeactivate.
    Site nowhere(nullptr);
    ComPtr<IDispatch> lost = create_boton();
    ComPtr<IOleObject> lost_ole = lost.query<IOleObject>(IID_IOleObject);
    check(FAILED(lost_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &nowhere, 0, nullptr,
                                  &nowhere.rect)),
          "an activation without a window fails");
    check(nowhere.in_place_activations == 1 && nowhere.in_place_deactivations == 1,
          "a failed activation unwinds with OnInPlaceDeactivate");
  }
  // OLE's own verbs that the control does not do (a window of its own, property pages) are
  // refused, so that the container does them itself; there is no undo state to discard.
  for (LONG verb : {OLEIVERB_OPEN, OLEIVERB_PROPERTIES, -100L})
    check_eq(ole->DoVerb(verb, nullptr, &site, 0, form, &site.rect), E_NOTIMPL,
             "an OLE verb the control lacks is refused");
  check_hr(ole->DoVerb(OLEIVERB_DISCARDUNDOSTATE, nullptr, &site, 0, form, &site.rect),
           "nothing to discard");
  check(site.in_place_activations == 0 && !window_of(d.get()), "refused verbs activate nothing");
  // A verb number of the object's own that it does not know is its primary verb.
  check_eq(ole->DoVerb(1, nullptr, &site, 0, form, &site.rect), OLEOBJ_S_INVALIDVERB,
           "an unknown positive verb says so");
  check(site.in_place_activations == 1 && window_of(d.get()), "and works as the primary verb");
  check_hr(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, form, &site.rect), "UI activation");
  check_hr(ole->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, form, &site.rect),
           "UI activation again");
  check_eq(site.in_place_activations, 1, "one OnInPlaceActivate");
  check_eq(site.ui_activations, 1, "one OnUIActivate for an object already UI-active");
  check(site.focus_in >= 1, "OnFocus when the control takes the focus");
  ComPtr<IOleInPlaceActiveObject> active =
      d.query<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
  check(static_cast<bool>(active), "IOleInPlaceActiveObject");
  ComPtr<IOleControl> oc = d.query<IOleControl>(IID_IOleControl);
  CONTROLINFO a{}, b{};
  a.cb = b.cb = sizeof(CONTROLINFO);
  oc->GetControlInfo(&a);
  oc->GetControlInfo(&b);
  check(a.hAccel && a.hAccel == b.hAccel && a.cAccel == 1, "one cached accelerator for Enter");
  site.extender.is_cancel = true;
  oc->OnAmbientPropertyChange(DISPID_UNKNOWN);
  check_eq(site.control_info_changes, 1, "OnControlInfoChanged when Cancel was added");
  oc->GetControlInfo(&b);
  check_eq(static_cast<int>(b.cAccel), 2, "Enter and Escape after Cancel was added");
  ComPtr<IOleInPlaceObject> ip = d.query<IOleInPlaceObject>(IID_IOleInPlaceObject);
  ip->InPlaceDeactivate();
  check(site.ui_deactivations == 1 && site.in_place_deactivations == 1,
        "deactivation pairs OnUIDeactivate and OnInPlaceDeactivate");
  ole->Close(OLECLOSE_NOSAVE);
  ole->SetClientSite(nullptr);
  DestroyWindow(form);
}

// A container composing the control itself: it counts the view changes it is told of.
class ViewSink final : public IAdviseSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IAdviseSink) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override { ++changes; }
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}
  int changes = 0;
};

void quick_activate_and_draw() {
  HWND form = CreateWindowExW(0, L"STATIC", L"form", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
  Site site(form);
  Sink sink;
  Browser browser;
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IQuickActivate> qa = d.query<IQuickActivate>(IID_IQuickActivate);
  check(static_cast<bool>(qa), "IQuickActivate");
  if (!qa) return;
  QACONTAINER c{};
  c.cbSize = sizeof c;
  c.pClientSite = &site;
  c.pUnkEventSink = &sink;
  c.pPropertyNotifySink = &browser;
  QACONTROL out{};
  out.cbSize = sizeof out;
  check_hr(qa->QuickActivate(&c, &out), "QuickActivate");
  check(out.dwEventCookie != 0 && out.dwPropNotifyCookie != 0, "both sinks advised");
  ComPtr<IPersistStreamInit> ps = d.query<IPersistStreamInit>(IID_IPersistStreamInit);
  ps->InitNew();
  SIZEL size{};
  size.cx = 2540 * 120 / 96;
  size.cy = 2540 * 40 / 96;
  qa->SetContentExtent(&size);
  check(sink.count(8) == 1, "the event sink given to QuickActivate hears Resize");
  // Never black before the first show, at the control's size or twice it.
  const unsigned magenta = 0xFF00FF;
  std::vector<unsigned> px = draw(d.get(), 120, 40, magenta);
  check(px[20 * 120 + 60] != 0, "not black before the first show");
  ComPtr<IViewObject> view = d.query<IViewObject>(IID_IViewObject);
  ViewSink view_sink;
  view->SetAdvise(DVASPECT_CONTENT, 0, &view_sink);
  call(d.get(), dispid_of(d.get(), L"CreaNuevaRegion"));
  check_eq(view_sink.changes, 1, "one OnViewChange for a rebuild");
  put(d.get(), L"Caption", long_value(7));
  check_eq(view_sink.changes, 2, "one OnViewChange for a caption");
  view->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
  std::vector<unsigned> small = draw(d.get(), 120, 40, magenta);
  std::vector<unsigned> big = draw(d.get(), 240, 80, magenta);
  check(big[0] == magenta && big[40 * 240 + 120] != magenta,
        "twice the size: corner cut away, middle drawn");
  // Row 38 of the control is rows 76 and 77 at twice the size; its last row is cut away.
  check(big[77 * 240 + 120] != magenta && big[76 * 240 + 120] == small[38 * 120 + 60] &&
            big[79 * 240 + 120] == magenta,
        "twice the size fills the bounds");
  ComPtr<IOleObject> ole = d.query<IOleObject>(IID_IOleObject);
  ole->SetClientSite(nullptr);
  DestroyWindow(form);
}

}  // namespace

int ole_checks() {
  bad_streams();
  storage_round_trip();
  failing_bag();
  notifications_and_fonts();
  dispatch_rules();
  activation_rules();
  quick_activate_and_draw();
  bounds_checks();
  picture_checks();
  diagnostics_checks();
  return 0;
}

}  // namespace client
