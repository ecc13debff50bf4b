// One Boton as a COM object: the dual interface _Boton, its events, persistence, and the OLE
// control interfaces a container uses to place, show and drive it.
//
// Longer than our usual file on purpose: it is the one declaration of every interface the
// object answers, and the methods are implemented by topic in boton_*.cpp and control_window.cpp.
#pragma once

#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>

#include "brelund/boton.h"
#include "control/property_table.h"
#include "host/activex/accessible.h"
#include "host/activex/boton_diagnostics.h"
#include "host/activex/com_ptr.h"
#include "host/activex/events.h"
#include "host/activex/font_watch.h"
#include "host/activex/module.h"
#include "host/activex/ole_values.h"
#include "host/activex/pointer_shape.h"
#include "host/activex/win32_host.h"
#include "host/common/instance.h"
#include "typelib/brelund_h.h"

namespace brelund::ax {

// Hands what the control's host objects show on to a tool's IBotonWatchSink (see
// boton_diagnostics.h); silent without one.
class DiagnosticWatcher final : public host::Watcher {
 public:
  void paint_begin(bool lit, bool pressed) override;
  void paint_end() override;
  void laid_out() override;
  // Property changes reach the tool through IPropertyNotifySink, as they reach any container.
  void refreshed() override;
  void mask_set(const MaskRef& mask) override;
  void line(float x1, float y1, float x2, float y2, OleColor rgb) override;
  void caption_colour(OleColor c) override;
  void pic_moved() override;
  // A step of a window message failed.
  void failed(const Status& s) noexcept;

  ComPtr<IBotonWatchSink> sink;
};

class BotonObject final : public _Boton,
                          public IConnectionPointContainer,
                          public IPersistStreamInit,
                          public IPersistPropertyBag,
                          public IPersistStorage,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleInPlaceActiveObject,
                          public IOleControl,
                          public IQuickActivate,
                          public IViewObject2,
                          public IProvideClassInfo2,
                          public ISupportErrorInfo,
                          public IObjectSafety,
                          public IBotonDiagnostics,
                          private Site,
                          private AccessibleSource {
 public:
  BotonObject();
  ~BotonObject() override;
  BotonObject(const BotonObject&) = delete;
  BotonObject& operator=(const BotonObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                   UINT* arg_err) override;
  // _Boton (the dual interface's vtable; each goes through the same member table as Invoke)
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** v) override;
  HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* v) override;
  HRESULT STDMETHODCALLTYPE get_MouseIcon(IPictureDisp** v) override;
  HRESULT STDMETHODCALLTYPE putref_MouseIcon(IPictureDisp* v) override;
  HRESULT STDMETHODCALLTYPE get_MousePointer(short* v) override;
  HRESULT STDMETHODCALLTYPE put_MousePointer(short v) override;
  HRESULT STDMETHODCALLTYPE get_Picture(IPictureDisp** v) override;
  HRESULT STDMETHODCALLTYPE putref_Picture(IPictureDisp* v) override;
  HRESULT STDMETHODCALLTYPE Refresh() override;
  HRESULT STDMETHODCALLTYPE get_BackColor(OLE_COLOR* v) override;
  HRESULT STDMETHODCALLTYPE put_BackColor(OLE_COLOR v) override;
  HRESULT STDMETHODCALLTYPE get_ForeColor(OLE_COLOR* v) override;
  HRESULT STDMETHODCALLTYPE put_ForeColor(OLE_COLOR v) override;
  HRESULT STDMETHODCALLTYPE get_RoundSize(LONG* v) override;
  HRESULT STDMETHODCALLTYPE put_RoundSize(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_Light(LONG* v) override;
  HRESULT STDMETHODCALLTYPE put_Light(LONG v) override;
  HRESULT STDMETHODCALLTYPE get_ToolTipText(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_ToolTipText(BSTR v) override;
  HRESULT STDMETHODCALLTYPE BackColorOriginal(LONG* v) override;
  HRESULT STDMETHODCALLTYPE CreaNuevaRegion() override;
  HRESULT STDMETHODCALLTYPE get_CreateRegion(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_CreateRegion(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_Roundness3D(LONG* v) override;
  HRESULT STDMETHODCALLTYPE put_Roundness3D(LONG v) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** out) override;

  // IPersist, IPersistStreamInit (and IPersistStream, its prefix), IPersistPropertyBag,
  // IPersistStorage
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
  HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL same_as_load) override;
  HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* storage) override;
  HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }

  // IOleObject
  HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
  HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
  HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Close(DWORD save_option) override;
  HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** out) override;
  HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject** out) override;
  HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index,
                                   HWND parent, LPCRECT pos) override;
  HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** out) override;
  HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
  HRESULT STDMETHODCALLTYPE GetUserType(DWORD form, LPOLESTR* type) override;
  HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** out) override;
  HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
  HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleWindow, IOleInPlaceObject, IOleInPlaceActiveObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override;
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG msg) override;
  HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
    return S_OK;  // the control has no toolbars to place
  }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

  // IQuickActivate
  HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override;
  HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override;

  // IViewObject, IViewObject2
  HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* td,
                                 HDC target_dc, HDC dc, LPCRECTL bounds, LPCRECTL wbounds,
                                 BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR), ULONG_PTR arg) override;
  HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                        LOGPALETTE**) override;
  HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* td,
                                      LPSIZEL size) override;

  // IProvideClassInfo, IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  // IObjectSafety
  HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* supported,
                                                      DWORD* enabled) override;
  HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask,
                                                      DWORD enabled) override;

  // IBotonDiagnostics (boton_diagnostics.cpp)
  HRESULT STDMETHODCALLTYPE Watch(IBotonWatchSink* sink) override;
  HRESULT STDMETHODCALLTYPE GetState(BotonDiagState* state) override;
  HRESULT STDMETHODCALLTYPE PinLabelSize(BOOL pin, FLOAT width, FLOAT height) override;
  HRESULT STDMETHODCALLTYPE PinSysColor(LONG index, OLE_COLOR rgb) override;
  HRESULT STDMETHODCALLTYPE SetWindowFocusSteps(BOOL on) override;
  HRESULT STDMETHODCALLTYPE Hit(FLOAT x, FLOAT y, LONG* target, FLOAT* part_x,
                                FLOAT* part_y) override;
  HRESULT STDMETHODCALLTYPE Pointer(LONG action, LONG target, SHORT button, SHORT shift, FLOAT x,
                                    FLOAT y) override;
  HRESULT STDMETHODCALLTYPE Key(LONG verb, SHORT code, SHORT shift) override;
  HRESULT STDMETHODCALLTYPE Focus(LONG verb) override;
  HRESULT STDMETHODCALLTYPE Tick() override;

  // The control's window procedure hands its messages here.
  LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // The OLE font the control's Font property hands out changed one of its attributes.
  void font_object_changed(IUnknown* font);

 private:
  // Holds the object for the whole of a step that may raise events: a handler that releases
  // the control, closes it or destroys its window cannot free it under the step's feet.
  class Step {
   public:
    explicit Step(BotonObject& o) : o_(o) {
      o_.AddRef();
      if (o_.steps_++ == 0) o_.pressed_before_step_ = o_.control().pressed();
    }
    ~Step() {
      // A container that composes the control itself learns once per step that it looks
      // different, not once per line drawn; a screen reader, that the button went down or
      // came up (whatever pressed it: pointer, key, access key, a reader's own press).
      if (--o_.steps_ == 0) {
        const bool looks_different =
            o_.surface_.take_redrawn() | std::exchange(o_.view_dirty_, false);
        if (!o_.instance_.retired()) {
          if (looks_different) o_.view_changed();
          if (o_.control().pressed() != o_.pressed_before_step_)
            o_.notify_reader(EVENT_OBJECT_STATECHANGE);
        }
      }
      o_.Release();
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;

   private:
    BotonObject& o_;
  };

  // Site
  std::optional<bool> extender_bool(const wchar_t* name) override;
  FontRef ambient_font() override;
  void property_changed(std::string_view name) override;

  // AccessibleSource (boton_accessible.cpp)
  AccessibleFacts accessible_facts() override;
  bool accessible_hit(POINT screen) override;
  HRESULT accessible_press() override;
  LRESULT get_object(WPARAM wp, LPARAM lp);
  // Tells readers that the button's name, state or focus changed.
  void notify_reader(DWORD event) const noexcept;
  void disconnect_reader() noexcept;

  Boton& control() noexcept { return instance_.control(); }
  // Turns a step's status into the error the COM boundary reports; a control that went away
  // inside a handler ends the call quietly.
  static void raise_on_failure(const Status& s);
  // Something the container did inside an event ends the control: no more events from it.
  void retire_if_in_step() noexcept;

  // A client that never initialises the object (a script's CreateObject) gets the properties
  // of a new instance on its first call.
  void ensure_initialised();
  HRESULT begin_persistence();
  void load_failed() noexcept;
  void persistence_done(HRESULT hr) noexcept;
  HRESULT load_stream(IStream& stream);
  HRESULT get_member(DISPID id, VARIANT* out);
  HRESULT put_member(DISPID id, VARIANT& value);
  template <class T>
  HRESULT get_as(DISPID id, VARTYPE vt, T* out);
  void watch_font();
  void resize_to_pixels(int w, int h);
  void activate(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui);
  void in_place_activate(IOleClientSite* site, HWND parent, LPCRECT pos);
  void ui_activate();
  void take_focus();
  void focus_changed(bool in);
  void destroy_window() noexcept;
  void window_destroyed() noexcept;
  void paint(HDC dc, const RECT& to);
  void pointer(UINT msg, WPARAM wp, LPARAM lp);
  // WM_SETCURSOR over the client area: true when the control set the pointer itself.
  bool set_pointer_shape();
  bool dialog_key(const MSG& msg);
  void view_changed();
  HACCEL accelerators();

  ModuleRef module_ref_;
  std::atomic<ULONG> refs_{1};
  // Steps in progress, each holding one reference of its own (see Step).
  ULONG steps_ = 0;
  bool pressed_before_step_ = false;  // at the start of the outermost step
  // The container gave InitNew or Load. Sizing, a site, quick or in-place activation before
  // either do not count: a form runtime may do all of those first and load afterwards.
  bool persisted_ = false;
  bool dirty_ = false;
  // Where the object is in OLE's activation. Running: it has its properties (given by InitNew or
  // Load, or a new control's on first use). In place: it has its window in the container's.
  // UI active: it is the one the container's keys go to first. OLE moves one state at a time,
  // up or down; a DLL server stays running after Close, with its properties.
  enum class Activation { loaded, running, in_place, ui_active };
  Activation activation_ = Activation::loaded;
  void enter(Activation to) noexcept;
  // A property changed in the step in progress: the view may look different.
  bool view_dirty_ = false;
  // Whether the window's focus messages give the control its focus notifications (a tool
  // that gives them itself turns this off).
  bool window_focus_steps_ = true;

  // Declared before the host objects that report to it, so that it outlives them.
  DiagnosticWatcher diagnostics_;
  Surface surface_{*this};
  Label label_;
  Image pic_;
  MaskImage mask_;
  Timer timer_;
  Platform platform_;
  EventPoint events_{static_cast<_Boton&>(*this), *this};
  NotifyPoint notify_{static_cast<_Boton&>(*this), *this};
  host::Instance instance_{surface_, label_, pic_, mask_, timer_, platform_, events_};
  ObjectCache objects_;
  FontWatch font_watch_{*this};
  PointerShape pointer_shape_;
  // Made on a reader's first question to the window; cut off when the window or control goes.
  ComPtr<Accessible> accessible_;

  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inplace_site_;
  ComPtr<IOleInPlaceFrame> frame_;
  ComPtr<IOleInPlaceUIWindow> doc_window_;
  ComPtr<IOleAdviseHolder> ole_advise_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_advise_flags_ = 0;
  DWORD view_advise_aspects_ = 0;
  HWND hwnd_ = nullptr;
  std::optional<FontRef> ambient_font_;
  // The accelerators GetControlInfo hands out, kept until they change or the object goes.
  AcceleratorTable accel_;
  std::optional<std::pair<bool, bool>> accel_for_;
  DWORD safety_ = 0;
};

HRESULT create_boton(REFIID riid, void** out);

}  // namespace brelund::ax
