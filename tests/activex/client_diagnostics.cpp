// The server's private diagnostic interface as a tool in the container uses it: answered by
// QueryInterface only, never published; the watch sink hears a resize's paint and mask as they
// happen and nothing once detached; the pinned caption size and colours and the hit test act on
// the control; bad arguments fail with their exact codes.
#include <vector>

#include "client.h"
#include "client_com.h"
#include "host/activex/boton_diagnostics.h"

namespace client {

namespace {

using brelund::ax::BotonDiagState;
using brelund::ax::IBotonDiagnostics;
using brelund::ax::IBotonWatchSink;
using brelund::ax::IID_IBotonDiagnostics;
using brelund::ax::IID_IBotonWatchSink;

constexpr HRESULT ctl_error(int number) {
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

// Counts what the control reports; lives on the stack, for as long as it is attached.
class Counter final : public IBotonWatchSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IBotonWatchSink) return E_NOINTERFACE;
    *out = static_cast<IBotonWatchSink*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE PaintBegin(BOOL, BOOL) override { return ++begins, S_OK; }
  HRESULT STDMETHODCALLTYPE PaintEnd() override { return ++ends, S_OK; }
  HRESULT STDMETHODCALLTYPE Line(FLOAT, FLOAT, FLOAT, FLOAT, OLE_COLOR) override {
    return ++lines, S_OK;
  }
  HRESULT STDMETHODCALLTYPE CaptionColour(OLE_COLOR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LaidOut() override { return ++layouts, S_OK; }
  HRESULT STDMETHODCALLTYPE PicMoved() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE MaskSet(LONG w, LONG h, const UINT32* argb) override {
    mask_w = w, mask_h = h;
    opaque = 0;
    // The mask keeps the control wherever it is not white.
    for (LONG i = 0; argb && i < w * h; ++i) opaque += (argb[i] & 0xFFFFFFu) != 0xFFFFFFu ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Refreshed() override { return ++refreshes, S_OK; }
  HRESULT STDMETHODCALLTYPE StepFailed(LONG, BSTR) override { return ++failures, S_OK; }

  int begins = 0, ends = 0, lines = 0, layouts = 0, refreshes = 0, failures = 0;
  LONG mask_w = -1, mask_h = -1, opaque = -1;
};

void free_state(BotonDiagState& s) {
  SysFreeString(s.label_caption);
  SysFreeString(s.label_tool_tip);
  SysFreeString(s.pic_tool_tip);
}

}  // namespace

void diagnostics_checks() {
  ComPtr<IDispatch> d = create_boton();
  ComPtr<IBotonDiagnostics> diag = d.query<IBotonDiagnostics>(IID_IBotonDiagnostics);
  check(static_cast<bool>(diag), "QueryInterface answers the diagnostic interface");
  if (!diag) return;

  // Not published: the coclass names _Boton and __Boton only.
  ComPtr<IProvideClassInfo> pci = d.query<IProvideClassInfo>(IID_IProvideClassInfo);
  ComPtr<ITypeInfo> coclass;
  check_hr(pci->GetClassInfo(coclass.put()), "GetClassInfo");
  TYPEATTR* attr = nullptr;
  if (coclass && SUCCEEDED(coclass->GetTypeAttr(&attr))) {
    check_eq(attr->cImplTypes, 2, "the coclass lists two interfaces");
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
      HREFTYPE ref = 0;
      ComPtr<ITypeInfo> impl;
      TYPEATTR* ia = nullptr;
      if (SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)) &&
          SUCCEEDED(coclass->GetRefTypeInfo(ref, impl.put())) &&
          SUCCEEDED(impl->GetTypeAttr(&ia))) {
        check(ia->guid != IID_IBotonDiagnostics, "the coclass does not publish it");
        impl->ReleaseTypeAttr(ia);
      }
    }
    coclass->ReleaseTypeAttr(attr);
  }

  // Exact failures for what is out of range.
  check_eq(diag->PinSysColor(256, 0), ctl_error(5), "system colour 256 is refused");
  check_eq(diag->PinSysColor(-1, 0), ctl_error(5), "system colour -1 is refused");
  check_eq(diag->Pointer(3, 0, 1, 0, 0, 0), E_INVALIDARG, "an unknown pointer action");
  check_eq(diag->Pointer(0, 3, 1, 0, 0, 0), E_INVALIDARG, "an unknown part");
  check_eq(diag->Key(4, 32, 0), E_INVALIDARG, "an unknown key verb");
  check_eq(diag->Focus(-1), E_INVALIDARG, "an unknown focus verb");
  check_eq(diag->GetState(nullptr), E_POINTER, "GetState without a state");
  LONG part = 0;
  FLOAT px = 0, py = 0;
  check_eq(diag->Hit(0, 0, nullptr, &px, &py), E_POINTER, "Hit without a part");

  // A resize draws the face, lays out and sets the mask, each heard as it happens.
  Counter sink;
  check_hr(diag->Watch(&sink), "Watch");
  check_hr(d.query<IPersistPropertyBag>(IID_IPersistPropertyBag)->InitNew(), "InitNew");
  check_hr(diag->PinLabelSize(TRUE, 435, 195), "PinLabelSize");
  SIZEL size{2117, 847};  // 1200 x 480 twips: 80 x 32 pixels
  check_hr(d.query<IOleObject>(IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size), "SetExtent");
  check_eq(sink.begins, 1, "one paint begun");
  check_eq(sink.ends, 1, "one paint ended");
  check(sink.lines > 32, "every row of the face is a line", std::to_string(sink.lines));
  check_eq(sink.layouts, 1, "one layout");
  check_eq(sink.mask_w, 80L, "the mask's width in pixels");
  check_eq(sink.mask_h, 32L, "the mask's height in pixels");
  check(sink.opaque > 0 && sink.opaque < 80 * 32, "the mask cuts the corners away",
        std::to_string(sink.opaque));

  // The state as the control holds it, with the pinned caption size.
  BotonDiagState s{};
  check_hr(diag->GetState(&s), "GetState");
  check_eq(s.round_size, 20L, "RoundSize of a new control");
  check_eq(s.label_width, 435.0f, "the pinned caption width");
  check_eq(s.label_height, 195.0f, "the pinned caption height");
  check(s.label_caption && std::wstring(s.label_caption) == L"Bot\u00f3n", "the caption text");
  // The caption's own point is the caption's; a corner is the face's.
  check_hr(diag->Hit(s.label_left + 15, s.label_top + 30, &part, &px, &py), "Hit");
  check_eq(part, brelund::ax::kDiagCaption, "a point of the caption is the caption's");
  check_eq(px, 15.0f, "in the caption's own x");
  check_eq(py, 30.0f, "in the caption's own y");
  check_hr(diag->Hit(15, 15, &part, &px, &py), "Hit");
  check_eq(part, brelund::ax::kDiagSurface, "a corner point is the face's");
  free_state(s);

  // A pinned system colour is what the control's system colour reference resolves to.
  check_hr(diag->PinSysColor(15, 0x0000FF), "PinSysColor");
  VARIANT face;
  VariantInit(&face);
  V_VT(&face) = VT_I4;
  V_I4(&face) = static_cast<LONG>(0x8000000F);
  check_hr(put(d.get(), L"BackColor", face), "BackColor = button face");
  check_hr(diag->GetState(&s), "GetState");
  check_eq(s.back_color, static_cast<OLE_COLOR>(0x0000FF), "the face colour as pinned");
  free_state(s);

  // Detached: Refresh is heard no more.
  DISPID refresh = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"Refresh");
  check_hr(d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &refresh), "Refresh's id");
  DISPPARAMS none{};
  check_hr(d->Invoke(refresh, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                     nullptr, nullptr),
           "Refresh");
  check_eq(sink.refreshes, 1, "a Refresh is heard while watched");
  check_hr(diag->Watch(nullptr), "Watch(nullptr)");
  check_hr(d->Invoke(refresh, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                     nullptr, nullptr),
           "Refresh");
  check_eq(sink.refreshes, 1, "nothing is heard once detached");
}

}  // namespace client
