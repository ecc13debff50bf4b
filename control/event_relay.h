// The eight events as data: an EventSink whose events all arrive at one relay(id, args), and
// the way back from an event id and its arguments to a sink's own member. Forwarders (the
// instance's guard, a COM connection point, the trace's application) write one relay instead of
// eight members, and the arguments keep the order and types of the event table.
#pragma once

#include <array>
#include <cstdint>

#include "brelund/host.h"
#include "control/event_table.h"

namespace brelund {

// An event's by-reference arguments in the table's order: std::int16_t* or float* as its
// EventArgType says; unused slots are null.
using EventArgs = std::array<void*, 4>;

class EventRelay : public host::EventSink {
 public:
  void Click() final { relay(EventId::Click, {}); }
  void KeyDown(std::int16_t& k, std::int16_t& s) final { relay(EventId::KeyDown, {&k, &s}); }
  void KeyPress(std::int16_t& k) final { relay(EventId::KeyPress, {&k}); }
  void KeyUp(std::int16_t& k, std::int16_t& s) final { relay(EventId::KeyUp, {&k, &s}); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) final {
    relay(EventId::MouseDown, {&b, &s, &x, &y});
  }
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) final {
    relay(EventId::MouseMove, {&b, &s, &x, &y});
  }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) final {
    relay(EventId::MouseUp, {&b, &s, &x, &y});
  }
  void Resize() final { relay(EventId::Resize, {}); }

 protected:
  virtual void relay(EventId id, const EventArgs& args) = 0;
};

// Raises `id` on `sink` with the same argument storage.
inline void raise_event(host::EventSink& sink, EventId id, const EventArgs& a) {
  auto i16 = [&](std::size_t n) -> std::int16_t& { return *static_cast<std::int16_t*>(a[n]); };
  auto f32 = [&](std::size_t n) -> float& { return *static_cast<float*>(a[n]); };
  switch (id) {
    case EventId::Click:
      return sink.Click();
    case EventId::KeyDown:
      return sink.KeyDown(i16(0), i16(1));
    case EventId::KeyPress:
      return sink.KeyPress(i16(0));
    case EventId::KeyUp:
      return sink.KeyUp(i16(0), i16(1));
    case EventId::MouseDown:
      return sink.MouseDown(i16(0), i16(1), f32(2), f32(3));
    case EventId::MouseMove:
      return sink.MouseMove(i16(0), i16(1), f32(2), f32(3));
    case EventId::MouseUp:
      return sink.MouseUp(i16(0), i16(1), f32(2), f32(3));
    case EventId::Resize:
      return sink.Resize();
  }
}

}  // namespace brelund
