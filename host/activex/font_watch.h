// Listens to the OLE font object that the control's Font property hands out, so that
// `Font.Bold = True` through that object reaches the control as a change of its font.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "host/activex/com_ptr.h"

namespace brelund::ax {

class BotonObject;

class FontWatch final : public IPropertyNotifySink {
 public:
  explicit FontWatch(BotonObject& owner) : owner_(owner) {}
  ~FontWatch() { stop(); }
  FontWatch(const FontWatch&) = delete;
  FontWatch& operator=(const FontWatch&) = delete;

  // Listens to `font` (and stops listening to the one before); the same object again is kept.
  void watch(IUnknown* font);
  void stop() noexcept;

  // The font object holds this sink, and the sink must not hold the control (that would be a
  // cycle through the control's own font): it lives exactly as long as its owner.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID id) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

 private:
  BotonObject& owner_;
  ComPtr<IUnknown> font_;  // its identity
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace brelund::ax
