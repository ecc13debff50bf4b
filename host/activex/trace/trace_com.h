// The COM objects the trace's container gives the control: its client site (with the ambient
// properties and the extender), the sink of its events, property changes and diagnostic
// reports, and a property bag over a saved set. Each is reference counted as COM wants; the
// container detaches them from the script when it lets the control go, so that a control still
// finishing a step reports to nobody.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "brelund/host.h"
#include "host/activex/boton_diagnostics.h"
#include "host/activex/utf16.h"
#include "host/activex/com_ptr.h"
#include "host/activex/ole_values.h"
#include "host/common/property_bag.h"
#include "trace/host.h"

namespace brelund::ax::trace_win32 {

// What the script has set of the control's surroundings, read by the site when asked.
struct Surroundings {
  // The container's ambient font; none until the script gives one (the control then takes
  // its own default, as without a container).
  ComPtr<IFontDisp> ambient_font;
  // The extender's Default and Cancel; both empty: an extender without them.
  std::optional<bool> is_default = false, is_cancel = false;
  HWND form = nullptr;
  // Where the control's window goes on the form, in pixels.
  RECT place{};
};

// A plain reference count for the objects below (their first base, so that the object it
// deletes starts where it does).
class Counted {
 protected:
  virtual ~Counted() = default;
  ULONG add() noexcept { return ++refs_; }
  ULONG release() noexcept {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// The extender: the container's properties of the control. Answers Default and Cancel.
class Extender final : private Counted, public IDispatch {
 public:
  explicit Extender(std::shared_ptr<const Surroundings> s) : s_(std::move(s)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return add(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;

 private:
  std::shared_ptr<const Surroundings> s_;
};

// The client site: the in-place site on the form, the control site and the ambient properties.
class ClientSite final : private Counted,
                         public IOleClientSite,
                         public IOleInPlaceSiteEx,
                         public IOleControlSite,
                         public IDispatch {
 public:
  explicit ClientSite(std::shared_ptr<const Surroundings> s);
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return add(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** out) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
  // IOleWindow, IOleInPlaceSite, IOleInPlaceSiteEx
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* no_redraw, DWORD) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }
  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
  // IDispatch: the ambient properties
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT*) override;

 private:
  std::shared_ptr<const Surroundings> s_;
  ComPtr<Extender> extender_;
};

// Hears the control: its events (the __Boton dispinterface), its property changes
// (IPropertyNotifySink) and its diagnostic reports (IBotonWatchSink), and hands them to the
// script's application and probe until detached.
class Listener final : private Counted,
                       public IDispatch,
                       public IPropertyNotifySink,
                       public IBotonWatchSink {
 public:
  Listener(host::EventSink& application, trace::Probe& probe)
      : application_(&application), probe_(&probe) {}
  void detach() noexcept { application_ = nullptr, probe_ = nullptr; }
  // The failure a window message's step reported since the last take.
  std::optional<Status> take_failure() { return std::exchange(failure_, std::nullopt); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return add(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  // IDispatch: the events
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO*, UINT* arg_err) override;
  // IPropertyNotifySink
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  // IBotonWatchSink
  HRESULT STDMETHODCALLTYPE PaintBegin(BOOL lit, BOOL pressed) override;
  HRESULT STDMETHODCALLTYPE PaintEnd() override;
  HRESULT STDMETHODCALLTYPE Line(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, OLE_COLOR rgb) override;
  HRESULT STDMETHODCALLTYPE CaptionColour(OLE_COLOR rgb) override;
  HRESULT STDMETHODCALLTYPE LaidOut() override;
  HRESULT STDMETHODCALLTYPE PicMoved() override;
  HRESULT STDMETHODCALLTYPE MaskSet(LONG width, LONG height, const UINT32* argb) override;
  HRESULT STDMETHODCALLTYPE Refreshed() override;
  HRESULT STDMETHODCALLTYPE StepFailed(LONG number, BSTR description) override;

 private:
  host::EventSink* application_;
  trace::Probe* probe_;
  std::optional<Status> failure_;
};

// A property bag over the script's saved set: Read answers its keys (E_INVALIDARG for one it
// does not hold), Write appends.
class Bag final : private Counted, public IPropertyBag {
 public:
  Bag(std::vector<host::MemoryPropertyBag::Entry> entries, ObjectCache& objects)
      : entries_(std::move(entries)), objects_(objects) {}
  const std::vector<host::MemoryPropertyBag::Entry>& entries() const noexcept { return entries_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return add(); }
  ULONG STDMETHODCALLTYPE Release() override { return release(); }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

 private:
  std::vector<host::MemoryPropertyBag::Entry> entries_;
  ObjectCache& objects_;
};

// The description of the error object the last failed call left on this thread, if any.
std::string error_info_text();

}  // namespace brelund::ax::trace_win32
