// What a screen reader is told about the control: an IAccessible for its window's client
// object. The system's standard object for the window answers what any window answers (parent,
// navigation, selection); the button's own facts come from the control through AccessibleSource.
//
// A reader may keep the object after the control is gone: it then answers RPC_E_DISCONNECTED.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <atomic>
#include <string>

#include "host/activex/com_ptr.h"

namespace brelund::ax {

// The import library's IID_IAccessible is oleacc.dll's data export, which a MinGW link without
// dllimport resolves to a thunk's code; the interface's own uuid is the IID.
inline constexpr IID kIidAccessible = __uuidof(IAccessible);

struct AccessibleFacts {
  std::wstring name, description, shortcut;
  bool focused = false, unavailable = false, pressed = false, is_default = false;
};

class AccessibleSource {
 public:
  virtual AccessibleFacts accessible_facts() = 0;
  // The control's part at a point of the screen: false where the mask cuts the corner away.
  virtual bool accessible_hit(POINT screen) = 0;
  // The default action: a click, with its events.
  virtual HRESULT accessible_press() = 0;

 protected:
  ~AccessibleSource() = default;
};

class Accessible final : public IAccessible {
 public:
  // Fails (returns null) where the system gives no standard object for the window.
  static ComPtr<Accessible> create(HWND hwnd, AccessibleSource& source);
  // The control goes: every later call answers RPC_E_DISCONNECTED.
  void disconnect() noexcept;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                   UINT* arg_err) override;

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* out) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* out) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  Accessible(ComPtr<IAccessible> standard, AccessibleSource& source) noexcept
      : standard_(std::move(standard)), source_(&source) {}
  ~Accessible() = default;
  // S_OK when the control is there and `child` names the button itself.
  HRESULT check(const VARIANT& child) const noexcept;
  HRESULT text(const VARIANT& child, BSTR* out, std::wstring AccessibleFacts::*field);

  std::atomic<ULONG> refs_{1};
  ComPtr<IAccessible> standard_;
  AccessibleSource* source_;
};

}  // namespace brelund::ax
