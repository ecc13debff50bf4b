// The headless host's own objects behind a Button: for this library's tools and tests (the
// trace, the form renderer), never installed.
#pragma once

#include "brelund/headless/button.h"
#include "host/common/instance.h"
#include "host/common/mask_image.h"
#include "host/headless/children.h"
#include "host/headless/platform.h"
#include "host/headless/surface.h"

namespace brelund::headless {

struct Button::Impl {
  // Forwards to the application's sink, which may be changed after creation.
  struct Forward final : host::EventSink {
    host::EventSink* target = nullptr;
    void Click() override {
      if (target) target->Click();
    }
    void KeyDown(std::int16_t& k, std::int16_t& s) override {
      if (target) target->KeyDown(k, s);
    }
    void KeyPress(std::int16_t& k) override {
      if (target) target->KeyPress(k);
    }
    void KeyUp(std::int16_t& k, std::int16_t& s) override {
      if (target) target->KeyUp(k, s);
    }
    void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
      if (target) target->MouseDown(b, s, x, y);
    }
    void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
      if (target) target->MouseMove(b, s, x, y);
    }
    void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
      if (target) target->MouseUp(b, s, x, y);
    }
    void Resize() override {
      if (target) target->Resize();
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
