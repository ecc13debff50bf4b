// What the client's checks share: late-bound calls by name, an event sink that records what
// arrives (and may change by-reference arguments), and drawing a control into a bitmap.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>
#include <vector>

#include "client.h"
#include "host/activex/com_ptr.h"
#include "typelib/brelund_h.h"

namespace client {

using brelund::ax::Bstr;
using brelund::ax::ComPtr;
using brelund::ax::VariantHolder;

DISPID dispid_of(IDispatch* d, const wchar_t* name);
// Property read; the HRESULT of Invoke goes to *hr when given.
void get(IDispatch* d, const wchar_t* name, VARIANT* out, HRESULT* hr = nullptr);
HRESULT put(IDispatch* d, const wchar_t* name, VARIANT value, WORD kind = DISPATCH_PROPERTYPUT,
            EXCEPINFO* ei = nullptr);
HRESULT call(IDispatch* d, DISPID id, VARIANT* result = nullptr);
long get_long(IDispatch* d, const wchar_t* name);
std::wstring get_string(IDispatch* d, const wchar_t* name);
VARIANT long_value(long v);
VARIANT string_value(const wchar_t* s);  // the caller's VARIANT owns a BSTR: VariantClear it

struct EventRecord {
  DISPID id;
  std::vector<long> ints;    // the 16-bit arguments as they arrived
  std::vector<float> reals;  // the single-precision ones (X and Y)
};

class Sink final : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  int count(DISPID id) const;
  void clear() { events.clear(); }
  std::vector<EventRecord> events;
  // Runs inside the event, with the arguments as DISPPARAMS has them (last first).
  std::function<void(DISPID, DISPPARAMS*)> on_event;
  bool all_by_reference = true;
  ULONG refs_ = 1;
};

// A new control, created the way a script or container creates it: by its class, in process.
ComPtr<IDispatch> create_boton();

// Advises the sink on the control's __Boton connection point; returns the cookie.
DWORD advise(IUnknown* control, Sink& sink);

// True while the server has live objects (its own DllCanUnloadNow says so).
bool objects_alive();

// The control's window once it is active in place; null before.
HWND window_of(IUnknown* control);

// The pointer shapes the control's window shows for MousePointer and MouseIcon.
void pointer_shape_checks(IDispatch* control, HWND ctl, const char* where);

// Draws the control through IViewObject onto a w x h bitmap pre-filled with `background`,
// returning the pixels as 0x00RRGGBB, row-major.
std::vector<unsigned> draw(IUnknown* control, int w, int h, unsigned background);

}  // namespace client
