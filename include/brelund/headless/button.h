// One Boton on the headless host, with everything the host owns for it: surface, children,
// platform and virtual clock. The unit that the CLI, the form renderer, tests and benchmarks use.
#pragma once

#include <memory>
#include <string>

#include "brelund/boton.h"
#include "brelund/raster.h"
#include "host/common/mask_image.h"
#include "host/headless/children.h"
#include "host/headless/platform.h"
#include "host/headless/surface.h"

namespace brelund::headless {

class Button {
 public:
  // Creates the control with its children and design settings; nothing is drawn yet.
  // `measure` sizes captions (FreeType by default).
  explicit Button(host::EventSink* events = nullptr, host::Observer* observer = nullptr,
                  TextMeasure measure = {});
  Button(const Button&) = delete;
  Button& operator=(const Button&) = delete;

  Boton& control() noexcept { return *control_; }
  Surface& surface() noexcept { return surface_; }
  Label& label() noexcept { return label_; }
  Image& pic() noexcept { return pic_; }
  MaskImage& mask() noexcept { return mask_; }
  Timer& timer() noexcept { return timer_; }
  Platform& platform() noexcept { return platform_; }
  void set_events(host::EventSink* events) { sink_.target = events; }

  // The host's side of a resize: the new extent, then the Resize notification.
  void resize(float width_twips, float height_twips);
  // N periods of the timer's interval pass on the virtual clock; Timer1 ticks while enabled.
  // Returns the status of the first failing tick, if any.
  brelund::Status tick(int periods = 1);

  // The pointer: over the centre of the control, away from it, or at a control pixel.
  void pointer_over();
  void pointer_away();
  void pointer_at(int x, int y);

  // Face, picture, caption and the mask's transparency composed into one ARGB image.
  Raster compose();
  void snapshot(const std::string& png_path);

 private:
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

  Surface surface_;
  Label label_;
  Image pic_;
  MaskImage mask_;
  Timer timer_;
  Platform platform_;
  Forward sink_;
  std::unique_ptr<Boton> control_;
};

}  // namespace brelund::headless
