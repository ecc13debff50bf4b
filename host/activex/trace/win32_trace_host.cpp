// The container's side of the Win32 trace: making, siting, initialising, sizing and showing the
// server's control, its members through IDispatch, and what the script reads back.
#include "host/activex/trace/win32_trace_host.h"

#include <cmath>
#include <filesystem>

#include "brelund/units.h"
#include "host/activex/gdi.h"
#include "host/activex/screen_units.h"
#include "host/common/png.h"
#include "host/headless/platform.h"
#include "typelib/brelund_h.h"

namespace brelund::ax::trace_win32 {

namespace {

constexpr DWORD kSettleMs = 30;
// Where the control's window goes on the form, in pixels.
constexpr int kLeft = 100, kTop = 100;

// A failed call's error, as the control reported it: the control's facility carries its error
// number, the error object (or EXCEPINFO) its description.
Status status_of(HRESULT hr, const EXCEPINFO* ex = nullptr) {
  if (SUCCEEDED(hr)) return {};
  if (hr == DISP_E_EXCEPTION && ex) {
    const HRESULT code =
        ex->scode ? ex->scode : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, ex->wCode);
    return {static_cast<std::int32_t>(HRESULT_CODE(code)),
            ex->bstrDescription ? narrow(ex->bstrDescription, SysStringLen(ex->bstrDescription))
                                : std::string()};
  }
  const std::string text = error_info_text();
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return {HRESULT_CODE(hr), text};
  if (hr == E_OUTOFMEMORY) return {errors::kOutOfMemory, "Out of memory"};
  // An argument that does not convert to the member's published type: the errors a script
  // engine reports for these two.
  if (hr == DISP_E_OVERFLOW) return {errors::kOverflow, "Overflow"};
  if (hr == DISP_E_TYPEMISMATCH) return {errors::kTypeMismatch, "Type mismatch"};
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(hr));
  // The automation error of a failure that carries no error number of the control.
  return {440, "Automation error 0x" + std::string(hex) + (text.empty() ? "" : ": " + text)};
}

void check(HRESULT hr, const char* what) {
  if (FAILED(hr)) {
    const Status s = status_of(hr);
    throw Error(s.number, std::string(what) + ": " + s.description);
  }
}

std::string text_of(BSTR b) { return b ? narrow(b, SysStringLen(b)) : std::string(); }

}  // namespace

// ---- the server ----

// The server is the build's own Brelund32.ocx beside the runner, loaded by path and asked for
// its class factory directly (DllGetClassObject), as a container that ships its controls
// with it does: nothing is registered, and the run cannot pick up another copy of the server.
Server::Server() {
  wchar_t exe[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
  if (n == 0 || n == MAX_PATH) throw Error(errors::kFileNotFound, "The runner's folder is unknown");
  const std::filesystem::path ocx = std::filesystem::path(exe).parent_path() / L"Brelund32.ocx";
  dll_ = LoadLibraryW(ocx.c_str());
  if (!dll_) throw Error(errors::kFileNotFound, "File not found: " + ocx.string());
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto get = reinterpret_cast<GetClassObject>(
      reinterpret_cast<void*>(GetProcAddress(dll_, "DllGetClassObject")));
  if (!get) throw Error(errors::kInvalidProcedureCall, ocx.string() + " has no DllGetClassObject");
  check(get(CLSID_Boton, IID_IClassFactory, factory_.put_void()), "The class factory");
}

Server::~Server() {
  factory_.reset();
  // The server's objects are all gone by now (the host let its control go first).
  if (dll_) FreeLibrary(dll_);
}

ComPtr<IOleObject> Server::create() const {
  ComPtr<IOleObject> ole;
  check(factory_->CreateInstance(nullptr, IID_IOleObject, ole.put_void()), "A new Boton");
  return ole;
}

// ---- the form and the control ----

Win32Host::Win32Host() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  wc.lpszClassName = L"BrelundTraceForm";
  RegisterClassExW(&wc);
  // The form fills the screen, so that a large control lies on it whole and the real pointer
  // can be anywhere on it.
  form_ =
      CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"boton trace",
                      WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                      GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, wc.hInstance, nullptr);
  if (!form_) throw Error(errors::kInvalidProcedureCall, "The form window cannot be made");
  SetForegroundWindow(form_);
  pump(nullptr, kSettleMs);
}

Win32Host::~Win32Host() {
  if (control_) let_go(std::move(control_));
  if (form_) DestroyWindow(form_);
}

// The container lets a control go: no more reports to the script, closed, released. Inside one
// of the control's own steps the server holds itself until the step ends, and ends it.
void Win32Host::let_go(std::unique_ptr<Control> c) noexcept {
  c->listener->detach();
  if (ComPtr<IConnectionPointContainer> cpc =
          c->ole.query<IConnectionPointContainer>(IID_IConnectionPointContainer)) {
    ComPtr<IConnectionPoint> cp;
    if (c->event_cookie && SUCCEEDED(cpc->FindConnectionPoint(DIID___Boton, cp.put())))
      cp->Unadvise(c->event_cookie);
    if (c->notify_cookie && SUCCEEDED(cpc->FindConnectionPoint(IID_IPropertyNotifySink, cp.put())))
      cp->Unadvise(c->notify_cookie);
  }
  if (c->diag) c->diag->Watch(nullptr);
  c->ole->Close(OLECLOSE_NOSAVE);
  c->ole->SetClientSite(nullptr);
  capture_.reset();
  held_ = 0;
}

void Win32Host::create(host::EventSink& application, trace::Probe& probe) {
  if (control_) let_go(std::move(control_));
  probe_ = &probe;
  auto c = std::make_unique<Control>();
  c->around = std::make_shared<Surroundings>();
  c->around->form = form_;
  c->ole = server_.create();
  c->disp = c->ole.query<IDispatch>(IID_IDispatch);
  c->diag = c->ole.query<IBotonDiagnostics>(IID_IBotonDiagnostics);
  if (!c->disp || !c->diag)
    throw Error(errors::kNotSupported, "The server's control lacks an interface the trace uses");
  c->site = ComPtr<ClientSite>::adopt(new ClientSite(c->around));
  c->listener = ComPtr<Listener>::adopt(new Listener(application, probe));
  ComPtr<IConnectionPointContainer> cpc =
      c->ole.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!cpc) throw Error(errors::kNotSupported, "The control has no connection points");
  ComPtr<IConnectionPoint> cp;
  check(cpc->FindConnectionPoint(DIID___Boton, cp.put()), "The event connection point");
  check(cp->Advise(static_cast<IDispatch*>(c->listener.get()), &c->event_cookie), "Advise");
  check(cpc->FindConnectionPoint(IID_IPropertyNotifySink, cp.put()), "The change notifications");
  check(cp->Advise(static_cast<IPropertyNotifySink*>(c->listener.get()), &c->notify_cookie),
        "Advise");
  check(c->diag->Watch(c->listener.get()), "Watch");
  // The script gives the focus notifications; the window's real focus only carries the keys.
  check(c->diag->SetWindowFocusSteps(FALSE), "SetWindowFocusSteps");
  check(c->ole->SetClientSite(static_cast<IOleClientSite*>(c->site.get())), "SetClientSite");
  // The scheme every trace host starts from, so that colours compare: the system's own
  // scheme is the desktop's choice, not the control's behaviour.
  const auto& scheme = headless::default_system_colors();
  for (std::size_t i = 0; i < scheme.size(); ++i)
    check(c->diag->PinSysColor(static_cast<LONG>(i), scheme[i]), "PinSysColor");
  control_ = std::move(c);
  // A new control starts with the pointer off it, as a control placed on a form does.
  pointer_away();
}

void Win32Host::ambient_changed(DISPID id) {
  if (ComPtr<IOleControl> oc = control_->ole.query<IOleControl>(IID_IOleControl))
    oc->OnAmbientPropertyChange(id);
}

// ---- the container's verbs ----

Status Win32Host::init() {
  ComPtr<IPersistPropertyBag> p = control_->ole.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  if (!p) return {errors::kNotSupported, "The control cannot be initialised from a bag"};
  return status_of(p->InitNew());
}

Status Win32Host::load(host::PropertyBag& bag) {
  auto* saved = dynamic_cast<host::MemoryPropertyBag*>(&bag);
  if (!saved) return {errors::kNotSupported, "Only a saved set in memory can be read"};
  ComPtr<IPersistPropertyBag> p = control_->ole.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  if (!p) return {errors::kNotSupported, "The control cannot be read from a bag"};
  ComPtr<Bag> in = ComPtr<Bag>::adopt(new Bag(saved->entries(), objects_));
  return status_of(p->Load(in.get(), nullptr));
}

Status Win32Host::save(host::MemoryPropertyBag& bag) {
  ComPtr<IPersistPropertyBag> p = control_->ole.query<IPersistPropertyBag>(IID_IPersistPropertyBag);
  if (!p) return {errors::kNotSupported, "The control cannot be written to a bag"};
  ComPtr<Bag> out = ComPtr<Bag>::adopt(new Bag({}, objects_));
  const Status s = status_of(p->Save(out.get(), TRUE, TRUE));
  bag = host::MemoryPropertyBag(out->entries());
  return s;
}

// A container sizes a control by its extent (HIMETRIC) and, once it is in place, by the
// rectangle of its window.
Status Win32Host::resize(float w, float h) {
  Control& c = *control_;
  const ScreenDpi dpi = screen_dpi();
  SIZEL size{himetric_of_twips(w, dpi.x), himetric_of_twips(h, dpi.y)};
  if (const Status s = status_of(c.ole->SetExtent(DVASPECT_CONTENT, &size)); !s.ok() || !control_)
    return s;
  c.around->place =
      RECT{kLeft, kTop, kLeft + units::extent_pixels(w), kTop + units::extent_pixels(h)};
  if (!c.hwnd) return {};
  ComPtr<IOleInPlaceObject> ipo = c.ole.query<IOleInPlaceObject>(IID_IOleInPlaceObject);
  return ipo ? status_of(ipo->SetObjectRects(&c.around->place, &c.around->place)) : Status{};
}

// The server raises Show when it goes in place on the form; a control shown again is taken out
// of place and put back, as a form that hides and shows again does.
Status Win32Host::show() {
  Control* c = control_.get();
  ComPtr<IOleInPlaceObject> ipo = c->ole.query<IOleInPlaceObject>(IID_IOleInPlaceObject);
  if (c->hwnd && ipo) {
    ipo->InPlaceDeactivate();
    c->hwnd = nullptr;
  }
  SIZEL size{};
  const ScreenDpi dpi = screen_dpi();
  if (SUCCEEDED(c->ole->GetExtent(DVASPECT_CONTENT, &size)))
    c->around->place =
        RECT{kLeft, kTop, kLeft + units::extent_pixels(twips_of_himetric(size.cx, dpi.x)),
             kTop + units::extent_pixels(twips_of_himetric(size.cy, dpi.y))};
  const Status s = status_of(c->ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr,
                                            static_cast<IOleClientSite*>(c->site.get()), 0, form_,
                                            &c->around->place));
  if (control_.get() != c) return s;
  HWND hwnd = nullptr;
  if (ipo && SUCCEEDED(ipo->GetWindow(&hwnd))) c->hwnd = hwnd;
  pump(nullptr, kSettleMs);
  return s;
}

Status Win32Host::let(const Member& member, const Variant& value) {
  VariantHolder arg;
  if (const Status s = guarded([&] { objects_.to_variant(value, arg.get()); }); !s.ok()) return s;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS dp{arg.get(), &named, 1, 1};
  ExcepInfo ex;
  const WORD flags = member.by_reference ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT;
  const HRESULT hr = control_->disp->Invoke(member.dispid, IID_NULL, LOCALE_USER_DEFAULT, flags,
                                            &dp, nullptr, ex.get(), nullptr);
  const Status s = status_of(hr, ex.get());
  return s;
}

Status Win32Host::get(const Member& member, std::optional<Variant>& result) {
  DISPPARAMS none{};
  ExcepInfo ex;
  VariantHolder out;
  const WORD flags = member.kind == MemberKind::method ? DISPATCH_METHOD : DISPATCH_PROPERTYGET;
  const HRESULT hr = control_->disp->Invoke(member.dispid, IID_NULL, LOCALE_USER_DEFAULT, flags,
                                            &none, out.get(), ex.get(), nullptr);
  const Status s = status_of(hr, ex.get());
  if (!s.ok() || (member.call && V_VT(out.get()) == VT_EMPTY)) return s;
  return guarded([&] {
    // OLE_COLOR travels as an unsigned long; the control's colours are its 32 bits.
    if (member.type == ValueType::ole_color && V_VT(out.get()) == VT_UI4)
      result = static_cast<std::int32_t>(V_UI4(out.get()));
    else
      result = objects_.from_variant(*out);
  });
}

// ---- the platform around the control ----

void Win32Host::set_sys_color(int index, OleColor rgb) {
  check(control_->diag->PinSysColor(index, rgb), "syscolor");
}

void Win32Host::set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
  control_->around->is_default = is_default;
  control_->around->is_cancel = is_cancel;
  ambient_changed(DISPID_UNKNOWN);
}

void Win32Host::set_ambient_font(FontRef font) {
  control_->around->ambient_font = objects_.font_object(font);
  ambient_changed(DISPID_AMBIENT_FONT);
}

void Win32Host::pin_label_size(float w, float h) {
  check(control_->diag->PinLabelSize(TRUE, w, h), "label size");
}

// ---- what the script reads ----

DiagState Win32Host::read_state() {
  DiagState s;
  check(control_->diag->GetState(s.put()), "state");
  return s;
}

trace::StateView Win32Host::state() {
  const DiagState state = read_state();
  const BotonDiagState& s = *state;
  trace::StateView v;
  v.fields.m_Highlighted = s.highlighted;
  v.fields.m_Pressed = s.pressed;
  v.fields.m_ForeColor = static_cast<OleColor>(s.fore_field);
  v.fields.m_BackColor = static_cast<OleColor>(s.back_field);
  v.fields.m_Roundness3D = s.roundness_3d;
  v.fields.m_CreateRegion = s.create_region;
  v.fields.m_Light = s.light;
  v.fields.m_RoundSize = s.round_size;
  v.timer = s.timer_enabled != VARIANT_FALSE;
  v.enabled = s.enabled != VARIANT_FALSE;
  v.back_color = static_cast<OleColor>(s.back_color);
  v.scale_width = s.scale_width;
  v.scale_height = s.scale_height;
  v.label = {text_of(s.label_caption),
             text_of(s.label_tool_tip),
             static_cast<OleColor>(s.label_fore_color),
             s.label_left,
             s.label_top,
             s.label_width,
             s.label_height};
  v.pic.visible = s.pic_visible != VARIANT_FALSE;
  v.pic.enabled = s.pic_enabled != VARIANT_FALSE;
  v.pic.tool_tip_text = text_of(s.pic_tool_tip);
  v.pic.left = s.pic_left;
  v.pic.top = s.pic_top;
  v.pic.width = s.pic_width;
  v.pic.height = s.pic_height;
  return v;
}

bool Win32Host::enabled() { return read_state()->enabled != VARIANT_FALSE; }

trace::Placement Win32Host::placement() {
  const DiagState s = read_state();
  return {s->label_left, s->label_top, s->pic_left, s->pic_top};
}

void Win32Host::snapshot(const std::string& png_path) {
  const HWND hwnd = control_->hwnd;
  if (!hwnd) throw Error(errors::kInvalidProcedureCall, "The control has no pixels yet");
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  pump(nullptr, kSettleMs);
  RECT r{};
  GetClientRect(hwnd, &r);
  const int w = r.right, h = r.bottom;
  if (w <= 0 || h <= 0) throw Error(errors::kInvalidProcedureCall, "The control has no pixels yet");
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Bitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib) throw Error(errors::kOutOfMemory, "Out of memory");
  {
    WindowDc window(hwnd);
    MemoryDc mem;
    Selection sel(mem.get(), dib.get());
    if (!BitBlt(mem.get(), 0, 0, w, h, window.get(), 0, 0, SRCCOPY))
      throw Error(errors::kDeviceIo, "The window's pixels cannot be read");
  }
  GdiFlush();
  const auto* src = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> px(src, src + static_cast<std::size_t>(w) * h);
  // What the window region leaves out is not the control's: transparent.
  Region shape(CreateRectRgn(0, 0, 0, 0));
  const bool shaped = GetWindowRgn(hwnd, shape.get()) != ERROR;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      auto& p = px[static_cast<std::size_t>(y) * w + x];
      p = (!shaped || PtInRegion(shape.get(), x, y)) ? (p | 0xFF000000u) : 0u;
    }
  png::write_file(png_path, png::encode(w, h, px));
}

}  // namespace brelund::ax::trace_win32
