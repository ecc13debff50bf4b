#include "host/activex/events.h"

#include <algorithm>

#include "typelib/brelund_h.h"

namespace brelund::ax {

namespace {
VARIANTARG by_ref(std::int16_t& v) {
  VARIANTARG a;
  VariantInit(&a);
  V_VT(&a) = VT_I2 | VT_BYREF;
  V_I2REF(&a) = &v;
  return a;
}
VARIANTARG by_ref(float& v) {
  VARIANTARG a;
  VariantInit(&a);
  V_VT(&a) = VT_R4 | VT_BYREF;
  V_R4REF(&a) = &v;
  return a;
}
}  // namespace

HRESULT EventPoint::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  return E_NOINTERFACE;
}

HRESULT EventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = DIID___Boton;
  return S_OK;
}

HRESULT EventPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  *out = &container_;
  container_.AddRef();
  return S_OK;
}

HRESULT EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // Sinks are reached through IDispatch; one that names the event interface is asked for it
  // first, as containers that build sinks from the type library expect.
  ComPtr<IDispatch> disp = ComPtr<IUnknown>(sink).query<IDispatch>(DIID___Boton);
  if (!disp) disp = ComPtr<IUnknown>(sink).query<IDispatch>(IID_IDispatch);
  if (!disp) return CONNECT_E_CANNOTCONNECT;
  try {
    sinks_.push_back({next_cookie_, disp});
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  *cookie = next_cookie_++;
  return S_OK;
}

HRESULT EventPoint::Unadvise(DWORD cookie) {
  const auto it = std::find_if(sinks_.begin(), sinks_.end(),
                               [&](const Connection& c) { return c.cookie == cookie; });
  if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
  sinks_.erase(it);
  return S_OK;
}

HRESULT EventPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

void EventPoint::fire(DISPID id, std::vector<VARIANTARG> args) {
  if (frozen_ > 0 || sinks_.empty()) return;
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()),
                    0};
  // A handler may unadvise (or advise) while it runs: raise to the sinks present at the start.
  const std::vector<Connection> targets = sinks_;
  for (const Connection& c : targets) {
    // A failing handler is the application's business; the control carries on, as it does
    // when an event has no handler at all.
    c.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                   nullptr);
  }
}

void EventPoint::mouse(DISPID id, std::int16_t& b, std::int16_t& s, float& x, float& y) {
  fire(id, {by_ref(b), by_ref(s), by_ref(x), by_ref(y)});
}

void EventPoint::Click() { fire(1, {}); }
void EventPoint::KeyDown(std::int16_t& k, std::int16_t& s) { fire(2, {by_ref(k), by_ref(s)}); }
void EventPoint::KeyPress(std::int16_t& k) { fire(3, {by_ref(k)}); }
void EventPoint::KeyUp(std::int16_t& k, std::int16_t& s) { fire(4, {by_ref(k), by_ref(s)}); }
void EventPoint::MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  mouse(5, b, s, x, y);
}
void EventPoint::MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  mouse(6, b, s, x, y);
}
void EventPoint::MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  mouse(7, b, s, x, y);
}
void EventPoint::Resize() { fire(8, {}); }

}  // namespace brelund::ax
