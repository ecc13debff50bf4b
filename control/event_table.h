// The one table of the events the control raises: published name, dispatch id and by-reference
// arguments, in the order of their dispatch ids. The trace language, the ActiveX event firing
// and the Qt signals work from it, and a test checks it against the type library.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace brelund {

enum class EventId : std::int32_t {
  Click = 1,
  KeyDown,
  KeyPress,
  KeyUp,
  MouseDown,
  MouseMove,
  MouseUp,
  Resize
};

enum class EventArgType { int16, float32 };
struct EventArg {
  std::string_view name;
  EventArgType type;
};

struct EventInfo {
  EventId id;
  std::string_view name;
  std::span<const EventArg> args;
  constexpr std::int32_t dispid() const noexcept { return static_cast<std::int32_t>(id); }
};

namespace detail {
inline constexpr EventArg kKeyArgs[] = {{"KeyCode", EventArgType::int16},
                                        {"Shift", EventArgType::int16}};
inline constexpr EventArg kAsciiArgs[] = {{"KeyAscii", EventArgType::int16}};
inline constexpr EventArg kMouseArgs[] = {{"Button", EventArgType::int16},
                                          {"Shift", EventArgType::int16},
                                          {"X", EventArgType::float32},
                                          {"Y", EventArgType::float32}};
inline constexpr std::array<EventInfo, 8> kEvents{{
    {EventId::Click, "Click", {}},
    {EventId::KeyDown, "KeyDown", kKeyArgs},
    {EventId::KeyPress, "KeyPress", kAsciiArgs},
    {EventId::KeyUp, "KeyUp", kKeyArgs},
    {EventId::MouseDown, "MouseDown", kMouseArgs},
    {EventId::MouseMove, "MouseMove", kMouseArgs},
    {EventId::MouseUp, "MouseUp", kMouseArgs},
    {EventId::Resize, "Resize", {}},
}};
}  // namespace detail

constexpr std::span<const EventInfo> events() noexcept { return detail::kEvents; }
constexpr const EventInfo& event_info(EventId id) noexcept {
  return detail::kEvents[static_cast<std::size_t>(id) - 1];
}
// Looks an event up by its exact published name; nullptr when there is none.
constexpr const EventInfo* find_event(std::string_view name) noexcept {
  for (const EventInfo& e : detail::kEvents)
    if (e.name == name) return &e;
  return nullptr;
}

}  // namespace brelund
