#include "host/activex/events.h"

#include <algorithm>

#include "host/activex/enumerator.h"
#include "typelib/brelund_h.h"

namespace brelund::ax {

// ---- ConnectionPoint ----

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ComPtr<IUnknown> target = callable(*sink);
  if (!target) return CONNECT_E_CANNOTCONNECT;
  try {
    sinks_.push_back({next_cookie_, target});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = next_cookie_++;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  const auto it = std::find_if(sinks_.begin(), sinks_.end(),
                               [&](const Connection& c) { return c.cookie == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(it);
  return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::vector<CONNECTDATA> items;
  try {
    for (const Connection& c : sinks_) items.push_back({c.sink.get(), c.cookie});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return make_enumerator(owner_, std::move(items), IID_IEnumConnections, out);
}

HRESULT enum_points(IUnknown& owner, std::vector<IConnectionPoint*> points,
                    IEnumConnectionPoints** out) {
  return make_enumerator(owner, std::move(points), IID_IEnumConnectionPoints, out);
}

// ---- EventPoint ----

EventPoint::EventPoint(IUnknown& owner, IConnectionPointContainer& container)
    : ConnectionPoint(owner, container, DIID___Boton) {}

ComPtr<IUnknown> EventPoint::callable(IUnknown& sink) {
  // Sinks are reached through IDispatch; one that names the event interface is asked for it
  // first, as containers that build sinks from the type library expect.
  ComPtr<IDispatch> disp = ComPtr<IUnknown>(&sink).query<IDispatch>(DIID___Boton);
  if (!disp) disp = ComPtr<IUnknown>(&sink).query<IDispatch>(IID_IDispatch);
  return ComPtr<IUnknown>(disp.get());
}

void EventPoint::freeze(bool on) noexcept {
  if (on)
    ++frozen_;
  else if (frozen_ > 0)
    --frozen_;
}

void EventPoint::relay(EventId id, const EventArgs& args) {
  if (frozen_ > 0 || empty()) return;
  const EventInfo& info = event_info(id);
  // DISPPARAMS wants the arguments last first.
  std::vector<VARIANTARG> params(info.args.size());
  auto it = args.begin();
  for (std::size_t i = 0; i < info.args.size() && it != args.end(); ++i, ++it) {
    VARIANTARG& a = params[info.args.size() - 1 - i];
    VariantInit(&a);
    if (info.args[i].type == EventArgType::int16) {
      V_VT(&a) = VT_I2 | VT_BYREF;
      V_I2REF(&a) = static_cast<SHORT*>(*it);
    } else {
      V_VT(&a) = VT_R4 | VT_BYREF;
      V_R4REF(&a) = static_cast<FLOAT*>(*it);
    }
  }
  DISPPARAMS dp{params.empty() ? nullptr : params.data(), nullptr, static_cast<UINT>(params.size()),
                0};
  for (const Connection& c : snapshot()) {
    // A failing handler is the application's business; the control carries on, as it does
    // when an event has no handler at all.
    static_cast<IDispatch*>(c.sink.get())
        ->Invoke(info.dispid(), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr,
                 nullptr, nullptr);
  }
}

// ---- NotifyPoint ----

NotifyPoint::NotifyPoint(IUnknown& owner, IConnectionPointContainer& container)
    : ConnectionPoint(owner, container, IID_IPropertyNotifySink) {}

ComPtr<IUnknown> NotifyPoint::callable(IUnknown& sink) {
  ComPtr<IPropertyNotifySink> s =
      ComPtr<IUnknown>(&sink).query<IPropertyNotifySink>(IID_IPropertyNotifySink);
  return ComPtr<IUnknown>(s.get());
}

void NotifyPoint::changed(DISPID id) {
  for (const Connection& c : snapshot())
    static_cast<IPropertyNotifySink*>(c.sink.get())->OnChanged(id);
}

}  // namespace brelund::ax
