#include "host/activex/trace/trace_com.h"

#include <algorithm>
#include <cwctype>

#include "control/event_relay.h"
#include "control/event_table.h"
#include "control/property_table.h"
#include "typelib/brelund_h.h"

namespace brelund::ax::trace_win32 {

std::string error_info_text() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
  Bstr d;
  if (FAILED(info->GetDescription(d.put())) || !d.get()) return {};
  return narrow(d.get(), SysStringLen(d.get()));
}

namespace {

// The extender's members, as a container numbers its own.
constexpr DISPID kDefault = 1, kCancel = 2;

bool no_arguments(const DISPPARAMS* p) { return p && p->cArgs == 0; }

// Runs a method body: a failure of ours is the caller's E_FAIL (E_OUTOFMEMORY when it is that).
template <class F>
HRESULT attempt(F&& f) noexcept {
  const Status s = guarded(std::forward<F>(f));
  if (s.ok()) return S_OK;
  return s.number == errors::kOutOfMemory ? E_OUTOFMEMORY : E_FAIL;
}

}  // namespace

// ---- Extender ----

HRESULT Extender::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
  *out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

HRESULT Extender::GetTypeInfoCount(UINT* n) {
  if (!n) return E_POINTER;
  *n = 0;
  return S_OK;
}

HRESULT Extender::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Extender::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (!names[0]) return E_POINTER;
  if (_wcsicmp(names[0], L"Default") == 0)
    ids[0] = kDefault;
  else if (_wcsicmp(names[0], L"Cancel") == 0)
    ids[0] = kCancel;
  else
    return DISP_E_UNKNOWNNAME;
  return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT Extender::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO*, UINT*) {
  if (id != kDefault && id != kCancel) return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
  if (!no_arguments(params)) return DISP_E_BADPARAMCOUNT;
  const std::optional<bool>& v = id == kDefault ? s_->is_default : s_->is_cancel;
  // An extender without the property (`extender none`): the member is not there.
  if (!v) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    V_VT(result) = VT_BOOL;
    V_BOOL(result) = *v ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

// ---- ClientSite ----

ClientSite::ClientSite(std::shared_ptr<const Surroundings> s)
    : s_(std::move(s)), extender_(ComPtr<Extender>::adopt(new Extender(s_))) {}

HRESULT ClientSite::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IOleClientSite)
    *out = static_cast<IOleClientSite*>(this);
  else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite || riid == IID_IOleInPlaceSiteEx)
    *out = static_cast<IOleInPlaceSiteEx*>(this);
  else if (riid == IID_IOleControlSite)
    *out = static_cast<IOleControlSite*>(this);
  else if (riid == IID_IDispatch)
    *out = static_cast<IDispatch*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT ClientSite::GetMoniker(DWORD, DWORD, IMoniker** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT ClientSite::GetContainer(IOleContainer** out) {
  if (out) *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ClientSite::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = s_->form;
  return S_OK;
}

HRESULT ClientSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                     LPRECT pos, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
  // The form is the frame's window and has no menus or tools to share: no frame object.
  *frame = nullptr;
  *doc = nullptr;
  *pos = s_->place;
  GetClientRect(s_->form, clip);
  info->fMDIApp = FALSE;
  info->hwndFrame = s_->form;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

HRESULT ClientSite::OnInPlaceActivateEx(BOOL* no_redraw, DWORD) {
  if (no_redraw) *no_redraw = FALSE;
  return S_OK;
}

HRESULT ClientSite::GetExtendedControl(IDispatch** out) {
  if (!out) return E_POINTER;
  *out = extender_.get();
  (*out)->AddRef();
  return S_OK;
}

HRESULT ClientSite::GetTypeInfoCount(UINT* n) {
  if (!n) return E_POINTER;
  *n = 0;
  return S_OK;
}

HRESULT ClientSite::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT ClientSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO*, UINT*) {
  if ((flags & DISPATCH_PROPERTYGET) == 0) return DISP_E_MEMBERNOTFOUND;
  if (!no_arguments(params)) return DISP_E_BADPARAMCOUNT;
  // The one ambient property the script sets; the others are the container's defaults, which
  // the control takes when the container has none.
  if (id != DISPID_AMBIENT_FONT || !s_->ambient_font) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    VariantInit(result);
    V_VT(result) = VT_DISPATCH;
    V_DISPATCH(result) = s_->ambient_font.get();
    V_DISPATCH(result)->AddRef();
  }
  return S_OK;
}

// ---- Listener ----

HRESULT Listener::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___Boton)
    *out = static_cast<IDispatch*>(this);
  else if (riid == IID_IPropertyNotifySink)
    *out = static_cast<IPropertyNotifySink*>(this);
  else if (riid == IID_IBotonWatchSink)
    *out = static_cast<IBotonWatchSink*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT Listener::GetTypeInfoCount(UINT* n) {
  if (!n) return E_POINTER;
  *n = 0;
  return S_OK;
}

HRESULT Listener::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return DISP_E_BADINDEX;
}

// An event: its arguments by reference, in the event table's order (DISPPARAMS holds them last
// first). The handler's `set` writes through the references, which the control reads back.
HRESULT Listener::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO*, UINT* arg_err) {
  if (result) VariantInit(result);
  if (!params) return E_INVALIDARG;
  if (id < 1 || static_cast<std::size_t>(id) > events().size()) return DISP_E_MEMBERNOTFOUND;
  const EventInfo& info = event_info(static_cast<EventId>(id));
  if (params->cArgs != info.args.size()) return DISP_E_BADPARAMCOUNT;
  EventArgs args{};
  for (std::size_t i = 0; i < info.args.size(); ++i) {
    VARIANTARG& a = params->rgvarg[info.args.size() - 1 - i];
    const bool int16 = info.args[i].type == EventArgType::int16;
    if (V_VT(&a) != ((int16 ? VT_I2 : VT_R4) | VT_BYREF)) {
      if (arg_err) *arg_err = static_cast<UINT>(info.args.size() - 1 - i);
      return DISP_E_TYPEMISMATCH;
    }
    args[i] = int16 ? static_cast<void*>(V_I2REF(&a)) : static_cast<void*>(V_R4REF(&a));
  }
  host::EventSink* app = application_;
  if (!app) return S_OK;
  // The application's handler may replace the control, and this listener with it: it holds
  // itself for the call.
  ComPtr<Listener> self(this);
  raise_event(*app, info.id, args);
  return S_OK;
}

HRESULT Listener::OnChanged(DISPID id) {
  if (!probe_) return S_OK;
  for (const Member& m : members())
    if (m.dispid == id) {
      probe_->changed(m.name);
      return S_OK;
    }
  return S_OK;
}

HRESULT Listener::PaintBegin(BOOL lit, BOOL pressed) {
  if (probe_) probe_->paint_begin(lit != FALSE, pressed != FALSE);
  return S_OK;
}

HRESULT Listener::PaintEnd() {
  if (probe_) probe_->paint_end();
  return S_OK;
}

HRESULT Listener::Line(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, OLE_COLOR rgb) {
  if (probe_) probe_->line(x1, y1, x2, y2, static_cast<OleColor>(rgb));
  return S_OK;
}

HRESULT Listener::CaptionColour(OLE_COLOR rgb) {
  if (probe_) probe_->caption_colour(static_cast<OleColor>(rgb));
  return S_OK;
}

HRESULT Listener::LaidOut() {
  if (probe_) probe_->laid_out();
  return S_OK;
}

HRESULT Listener::PicMoved() {
  if (probe_) probe_->pic_moved();
  return S_OK;
}

HRESULT Listener::MaskSet(LONG width, LONG height, const UINT32* argb) {
  if (!probe_) return S_OK;
  if (width < 0 || height < 0) return E_INVALIDARG;
  // In size_t: the product of two LONGs overflows a LONG.
  const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (n > 0 && !argb) return E_INVALIDARG;
  return attempt([&] {
    MaskRef mask = n ? MaskShape::of_pixels(width, height, argb) : MaskRef{};
    probe_->mask_set(mask);
  });
}

HRESULT Listener::Refreshed() {
  if (probe_) probe_->refreshed();
  return S_OK;
}

HRESULT Listener::StepFailed(LONG number, BSTR description) {
  failure_ = Status{static_cast<std::int32_t>(number),
                    description ? narrow(description, SysStringLen(description)) : std::string()};
  return S_OK;
}

// ---- Bag ----

HRESULT Bag::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IPropertyBag) return E_NOINTERFACE;
  *out = static_cast<IPropertyBag*>(this);
  AddRef();
  return S_OK;
}

HRESULT Bag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*) {
  if (!name || !value) return E_POINTER;
  const std::string key = narrow(name, wcslen(name));
  const auto same = [&](const host::MemoryPropertyBag::Entry& e) {
    return std::equal(e.first.begin(), e.first.end(), key.begin(), key.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
  };
  const auto it = std::find_if(entries_.begin(), entries_.end(), same);
  if (it == entries_.end()) return E_INVALIDARG;
  VariantClear(value);
  return attempt([&] { objects_.to_variant(it->second, value); });
}

HRESULT Bag::Write(LPCOLESTR name, VARIANT* value) {
  if (!name || !value) return E_POINTER;
  return attempt(
      [&] { entries_.emplace_back(narrow(name, wcslen(name)), objects_.from_variant(*value)); });
}

}  // namespace brelund::ax::trace_win32
