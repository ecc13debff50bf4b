// One Boton on the browser host: the host objects and the instance over them. The page's side
// (host/web/js) turns DOM input into these steps and shows what take_changes() reports; the
// trace host drives the same object.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "control/event_relay.h"
#include "host/common/instance.h"
#include "host/web/src/host_objects.h"

namespace brelund::web {

class Button {
 public:
  using EventFn = std::function<void(EventId, const EventArgs&)>;
  // `events` hears the eight events with their arguments by reference; it may destroy the
  // button, after which the step in progress returns a Status with `gone` set.
  Button(EventFn events, Measure measure, host::Observer* observer = nullptr);
  Button(const Button&) = delete;
  Button& operator=(const Button&) = delete;

  host::Instance& instance() noexcept { return instance_; }
  Surface& surface() noexcept { return surface_; }
  Label& label() noexcept { return label_; }
  Image& pic() noexcept { return pic_; }
  Timer& timer() noexcept { return timer_; }
  Platform& platform() noexcept { return platform_; }

  // What changed since the last call (Dirty bits), and forgets it.
  std::uint32_t take_changes() noexcept { return std::exchange(dirty_, 0u); }

  // The face as the page shows it: straight RGBA bytes, transparent where the mask cuts the
  // control away. Caption and picture are the page's own elements over it.
  std::span<const std::uint8_t> face_rgba();
  // The face drawn at the surface's device pixel ratio, as opaque RGBA bytes (the shape's
  // clip-path cuts it); empty while the ratio is 1 or the face has not been drawn at it.
  std::span<const std::uint8_t> device_face_rgba();
  // The opaque part of the mask as an SVG path in pixels, for the element's clip-path: the
  // browser then hit-tests the corners as outside, and the element behind gets the click.
  // Empty while the whole rectangle belongs to the control. At a device pixel `ratio` above 1
  // the shape is cut in device pixels (coordinates stay CSS pixels, now with fractions).
  std::string shape_path(double ratio = 1) const;
  // Face, picture and mask composed into ARGB, without the caption (which the page draws).
  Raster compose_without_caption();

 private:
  struct Relay final : EventRelay {
    EventFn target;
    void relay(EventId id, const EventArgs& args) override {
      if (target) target(id, args);
    }
  };

  std::uint32_t dirty_ = ~0u;
  Surface surface_{dirty_};
  Label label_;
  Image pic_{dirty_};
  Mask mask_;
  Timer timer_{dirty_};
  Platform platform_{surface_};
  Relay relay_;
  // The last face handed to the page; its bytes are all written before they are read, so they
  // are never zeroed first.
  std::unique_ptr<std::uint8_t[]> rgba_;
  std::size_t rgba_capacity_ = 0;
  std::span<std::uint8_t> rgba_bytes(std::size_t size);
  host::Instance instance_;
};

}  // namespace brelund::web
