// One Boton as a COM object: the dual interface _Boton, its events, persistence, and the OLE
// control interfaces a container uses to place, show and drive it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>

#include "brelund/boton.h"
#include "control/property_table.h"
#include "host/activex/com_ptr.h"
#include "host/activex/events.h"
#include "host/activex/module.h"
#include "host/activex/ole_values.h"
#include "host/activex/win32_host.h"
#include "typelib/brelund_h.h"

namespace brelund::ax {

class BotonObject final : public _Boton,
                          public IConnectionPointContainer,
                          public IPersistStreamInit,
                          public IPersistPropertyBag,
                          public IOleObject,
                          public IOleInPlaceObject,
                          public IOleControl,
                          public IViewObject2,
                          public IProvideClassInfo2,
                          private Site {
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

  // IPersist, IPersistStreamInit, IPersistPropertyBag
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override;
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;

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

  // IOleWindow, IOleInPlaceObject
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE UIDeactivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT pos, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }

  // IOleControl
  HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
  HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* msg) override;
  HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override;

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

  // The control's window procedure hands its messages here.
  LRESULT on_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  // Site
  std::optional<bool> extender_bool(const wchar_t* name) override;
  FontRef ambient_font() override;
  void property_changed(std::string_view name) override;

  // A client that never initialises the object (a script's CreateObject) gets the properties
  // of a new instance on its first call.
  void ensure_initialised();
  HRESULT begin_persistence();
  HRESULT get_member(DISPID id, VARIANT* out);
  HRESULT put_member(DISPID id, VARIANT& value);
  template <class T>
  HRESULT get_as(DISPID id, VARTYPE vt, T* out);
  void resize_to_pixels(int w, int h);
  void activate(IOleClientSite* site, HWND parent, LPCRECT pos, bool ui);
  void destroy_window() noexcept;
  void paint(HDC dc, int x, int y);
  void pointer(UINT msg, WPARAM wp, LPARAM lp);

  ModuleRef module_ref_;
  std::atomic<ULONG> refs_{1};
  bool initialised_ = false;
  bool dirty_ = false;
  bool showing_ = false;

  Surface surface_{*this};
  Label label_;
  Image pic_;
  MaskCanvas mask_;
  Timer timer_;
  Platform platform_;
  EventPoint events_{static_cast<_Boton&>(*this), *this};
  std::unique_ptr<Boton> control_;
  ObjectCache objects_;

  ComPtr<IOleClientSite> site_;
  ComPtr<IOleInPlaceSite> inplace_site_;
  ComPtr<IOleAdviseHolder> ole_advise_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_advise_flags_ = 0;
  HWND hwnd_ = nullptr;
  std::optional<FontRef> ambient_font_;
};

HRESULT create_boton(REFIID riid, void** out);

}  // namespace brelund::ax
