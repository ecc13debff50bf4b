#include "host/activex/accessible.h"

namespace brelund::ax {

namespace {

bool is_self(const VARIANT& child) noexcept {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// An empty text is no text: S_FALSE with no string, as the standard objects answer.
HRESULT give(const std::wstring& s, BSTR* out) {
  *out = nullptr;
  if (s.empty()) return S_FALSE;
  *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

ComPtr<Accessible> Accessible::create(HWND hwnd, AccessibleSource& source) {
  ComPtr<IAccessible> standard;
  if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, kIidAccessible, standard.put_void())) ||
      !standard)
    return nullptr;
  return ComPtr<Accessible>::adopt(new Accessible(std::move(standard), source));
}

void Accessible::disconnect() noexcept {
  source_ = nullptr;
  standard_.reset();
}

HRESULT Accessible::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid != IID_IUnknown && riid != IID_IDispatch && riid != kIidAccessible) return E_NOINTERFACE;
  *out = static_cast<IAccessible*>(this);
  AddRef();
  return S_OK;
}

ULONG Accessible::Release() {
  const ULONG n = --refs_;
  if (n == 0) delete this;
  return n;
}

// Readers call IAccessible's vtable; late binding through IDispatch is not offered.
HRESULT Accessible::GetTypeInfoCount(UINT* n) {
  if (!n) return E_INVALIDARG;
  *n = 0;
  return S_OK;
}
HRESULT Accessible::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}
HRESULT Accessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT Accessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

HRESULT Accessible::check(const VARIANT& child) const noexcept {
  if (!source_) return RPC_E_DISCONNECTED;
  return is_self(child) ? S_OK : E_INVALIDARG;
}

HRESULT Accessible::text(const VARIANT& child, BSTR* out, std::wstring AccessibleFacts::*field) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return give(source_->accessible_facts().*field, out);
}

// ---- what the standard window object already answers ----

HRESULT Accessible::get_accParent(IDispatch** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return source_ ? standard_->get_accParent(out) : RPC_E_DISCONNECTED;
}
HRESULT Accessible::get_accChildCount(LONG* out) {
  if (!out) return E_INVALIDARG;
  *out = 0;
  // The caption and picture are drawn, not windows: the button has no children.
  return source_ ? S_OK : RPC_E_DISCONNECTED;
}
HRESULT Accessible::get_accChild(VARIANT child, IDispatch** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!source_) return RPC_E_DISCONNECTED;
  return child.vt == VT_I4 ? S_FALSE : E_INVALIDARG;
}
HRESULT Accessible::get_accValue(VARIANT child, BSTR* out) {
  // A button has no value.
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return S_FALSE;
}
HRESULT Accessible::get_accHelp(VARIANT child, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return S_FALSE;
}
HRESULT Accessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
  if (!file || !topic) return E_INVALIDARG;
  *file = nullptr;
  *topic = 0;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return S_FALSE;
}
HRESULT Accessible::get_accFocus(VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  return source_ ? standard_->get_accFocus(out) : RPC_E_DISCONNECTED;
}
HRESULT Accessible::get_accSelection(VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  return source_ ? S_FALSE : RPC_E_DISCONNECTED;
}
HRESULT Accessible::accSelect(LONG flags, VARIANT child) {
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return standard_->accSelect(flags, child);
}
HRESULT Accessible::accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) {
  if (!x || !y || !w || !h) return E_INVALIDARG;
  *x = *y = *w = *h = 0;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return standard_->accLocation(x, y, w, h, child);
}
HRESULT Accessible::accNavigate(LONG dir, VARIANT start, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  if (const HRESULT hr = check(start); FAILED(hr)) return hr;
  return standard_->accNavigate(dir, start, out);
}

// ---- the button's own facts ----

HRESULT Accessible::get_accName(VARIANT child, BSTR* out) {
  return text(child, out, &AccessibleFacts::name);
}
HRESULT Accessible::get_accDescription(VARIANT child, BSTR* out) {
  return text(child, out, &AccessibleFacts::description);
}
HRESULT Accessible::get_accKeyboardShortcut(VARIANT child, BSTR* out) {
  return text(child, out, &AccessibleFacts::shortcut);
}
HRESULT Accessible::get_accDefaultAction(VARIANT child, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  return give(L"Press", out);
}

HRESULT Accessible::get_accRole(VARIANT child, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  out->vt = VT_I4;
  out->lVal = ROLE_SYSTEM_PUSHBUTTON;
  return S_OK;
}

HRESULT Accessible::get_accState(VARIANT child, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  // Whether the window shows at all is the standard object's to say.
  VARIANT standard;
  VariantInit(&standard);
  LONG state = 0;
  if (SUCCEEDED(standard_->get_accState(child, &standard)) && standard.vt == VT_I4)
    state = standard.lVal & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN);
  const AccessibleFacts f = source_->accessible_facts();
  state |= STATE_SYSTEM_FOCUSABLE;
  if (f.focused) state |= STATE_SYSTEM_FOCUSED;
  if (f.unavailable) state |= STATE_SYSTEM_UNAVAILABLE;
  if (f.pressed) state |= STATE_SYSTEM_PRESSED;
  if (f.is_default) state |= STATE_SYSTEM_DEFAULT;
  out->vt = VT_I4;
  out->lVal = state;
  return S_OK;
}

HRESULT Accessible::accHitTest(LONG x, LONG y, VARIANT* out) {
  if (!out) return E_INVALIDARG;
  VariantInit(out);
  if (!source_) return RPC_E_DISCONNECTED;
  // A cut-away corner is the container's: nothing of the button is there.
  if (!source_->accessible_hit(POINT{x, y})) return S_FALSE;
  out->vt = VT_I4;
  out->lVal = CHILDID_SELF;
  return S_OK;
}

HRESULT Accessible::accDoDefaultAction(VARIANT child) {
  if (const HRESULT hr = check(child); FAILED(hr)) return hr;
  // The press may end the control (a handler that unloads the form): the source is not touched
  // after it.
  return source_->accessible_press();
}

}  // namespace brelund::ax
