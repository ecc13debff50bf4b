// The object's connection points: the event interface __Boton, whose EventSink raises each
// event to every advised sink synchronously with its arguments by reference (what a handler
// writes into them is what the control reads afterwards), and IPropertyNotifySink, which tells
// a container's property browser that a property changed.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "brelund/host.h"
#include "control/event_relay.h"
#include "host/activex/com_ptr.h"

namespace brelund::ax {

// One connection point: the sinks advised on it, each held as the interface the point calls.
// The owner gives it its identity and lifetime (it is a member of the owner).
class ConnectionPoint : public IConnectionPoint {
 public:
  ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, REFIID iid)
      : owner_(owner), container_(container), iid_(iid) {}
  virtual ~ConnectionPoint() = default;
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

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

 protected:
  struct Connection {
    DWORD cookie;
    ComPtr<IUnknown> sink;  // the interface the point calls, as an IUnknown
  };
  // The sink as the interface this point calls; null when it has none.
  virtual ComPtr<IUnknown> callable(IUnknown& sink) = 0;
  // A handler may unadvise (or advise) while it runs: calls go to the sinks present at the start.
  std::vector<Connection> snapshot() const { return sinks_; }
  bool empty() const noexcept { return sinks_.empty(); }

 private:
  IUnknown& owner_;
  IConnectionPointContainer& container_;
  IID iid_;
  std::vector<Connection> sinks_;
  DWORD next_cookie_ = 1;
};

class EventPoint final : public ConnectionPoint, public EventRelay {
 public:
  EventPoint(IUnknown& owner, IConnectionPointContainer& container);

  // FreezeEvents nests; an unbalanced unfreeze never takes the count below zero.
  void freeze(bool on) noexcept;
  bool frozen() const noexcept { return frozen_ > 0; }

 private:
  ComPtr<IUnknown> callable(IUnknown& sink) override;
  // Fires the event to every connected sink, the arguments by reference.
  void relay(EventId id, const EventArgs& args) override;

  int frozen_ = 0;
};

class NotifyPoint final : public ConnectionPoint {
 public:
  NotifyPoint(IUnknown& owner, IConnectionPointContainer& container);
  void changed(DISPID id);

 private:
  ComPtr<IUnknown> callable(IUnknown& sink) override;
};

// IEnumConnectionPoints over the given points (the enumerator holds the container alive).
HRESULT enum_points(IUnknown& owner, std::vector<IConnectionPoint*> points,
                    IEnumConnectionPoints** out);

}  // namespace brelund::ax
