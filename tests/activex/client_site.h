// A form runtime's side of one control, as the tests need it: the client site with in-place
// and control site interfaces, the ambient properties, and an extender with Default and Cancel.
// It counts the calls that OLE pairs, so that tests can check the pairing.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

#include "client_com.h"

namespace client {

// The extender a form puts around a control: Default and Cancel, read late-bound.
class Extender final : public IDispatch {
 public:
  bool is_default = false;
  bool is_cancel = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives with its site
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;
};

// A property browser: records the DISPIDs the control says changed.
class Browser final : public IPropertyNotifySink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IPropertyNotifySink) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override {
    changed.push_back(id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changed;
};

class Site final : public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleControlSite,
                   public IDispatch {
 public:
  explicit Site(HWND form) : form_(form) {}

  Extender extender;
  IOleInPlaceFrame* frame = nullptr;  // handed out by GetWindowContext when set
  RECT rect{0, 0, 120, 40};
  // What the control told its site.
  int in_place_activations = 0, in_place_deactivations = 0;
  int ui_activations = 0, ui_deactivations = 0;
  int focus_in = 0, focus_out = 0, control_info_changes = 0;
  bool refuse_activation = false;
  // The form's dialog handling for keys the control does not take (Tab moves the focus).
  std::function<bool(MSG*)> on_translate;
  std::function<void()> on_ui_activate;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
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
  // IOleWindow, IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* h) override {
    *h = form_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override {
    return refuse_activation ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override {
    ++in_place_activations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** doc,
                                             LPRECT pos, LPRECT clip,
                                             LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override {
    ++ui_deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override {
    ++in_place_deactivations;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override {
    ++control_info_changes;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** out) override {
    *out = &extender;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* msg, DWORD) override {
    return on_translate && on_translate(msg) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL in) override {
    ++(in ? focus_in : focus_out);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }
  // IDispatch: the ambient properties (only the font is answered, with `ambient_font`).
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;
  ComPtr<IFontDisp> ambient_font;

 private:
  HWND form_;
};

}  // namespace client
