// The headless host's own objects behind a Button: for this library's tools and tests (the
// trace, the form renderer), never installed.
#pragma once

#include "brelund/headless/button.h"
#include "control/event_relay.h"
#include "host/common/instance.h"
#include "host/common/mask_image.h"
#include "host/headless/children.h"
#include "host/headless/platform.h"
#include "host/headless/surface.h"

namespace brelund::headless {

struct Button::Impl {
  // Forwards to the application's sink, which may be changed after creation.
  struct Forward final : EventRelay {
    host::EventSink* target = nullptr;
    void relay(EventId id, const EventArgs& args) override {
      if (target) raise_event(*target, id, args);
    }
  };

  Impl(host::EventSink* events, host::Observer* observer, TextMeasure measure);

  Surface surface;
  Label label;
  Image pic;
  MaskImage mask;
  Timer timer;
  Platform platform;
  Forward sink;
  host::Instance instance;
};

struct Internals {
  static Button::Impl& of(Button& b) noexcept { return *b.impl_; }
};
inline Button::Impl& internals(Button& b) noexcept { return Internals::of(b); }

}  // namespace brelund::headless
