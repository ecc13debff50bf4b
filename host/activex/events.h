// The connection point of the event interface __Boton: the control's EventSink raises each event
// to every advised sink synchronously, its arguments by reference, so that what a handler writes
// into them is what the control reads afterwards.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "host/activex/com_ptr.h"
#include "brelund/host.h"

namespace brelund::ax {

class EventPoint final : public IConnectionPoint, public host::EventSink {
 public:
  // The owner gives this point its identity and lifetime (it is a member of the owner).
  EventPoint(IUnknown& owner, IConnectionPointContainer& container)
      : owner_(owner), container_(container) {}

  void freeze(bool on) noexcept { frozen_ += on ? 1 : -1; }
  void disconnect_all() noexcept { sinks_.clear(); }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }
  // IConnectionPoint
  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  // host::EventSink
  void Click() override;
  void KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override;
  void KeyPress(std::int16_t& KeyAscii) override;
  void KeyUp(std::int16_t& KeyCode, std::int16_t& Shift) override;
  void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;
  void MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;
  void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;
  void Resize() override;

 private:
  // Arguments in declaration order; DISPPARAMS wants them last first.
  void fire(DISPID id, std::vector<VARIANTARG> args);
  void mouse(DISPID id, std::int16_t& b, std::int16_t& s, float& x, float& y);

  struct Connection {
    DWORD cookie;
    ComPtr<IDispatch> sink;
  };
  IUnknown& owner_;
  IConnectionPointContainer& container_;
  std::vector<Connection> sinks_;
  DWORD next_cookie_ = 1;
  int frozen_ = 0;
};

}  // namespace brelund::ax
