// One Boton on the headless host: a retained software surface, windowless caption and picture,
// a simulated screen and a virtual clock. What the CLI, servers rendering forms, tests and
// benchmarks use. The host's own objects stay behind a private class; tools of this library
// reach them through host/headless/internals.h.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "brelund/boton.h"
#include "brelund/raster.h"

namespace brelund::headless {

// A caption's size in pixels, for hosts that measure text their own way; the default measures
// with the system's fonts.
struct TextSize {
  int width = 0;
  int height = 0;
};
using TextMeasure = std::function<TextSize(const Font&, const std::string&)>;

class Button {
 public:
  // Creates the control with its children and design settings; nothing is drawn yet.
  // `events` receives the control's events, `observer` its paints and layouts.
  explicit Button(host::EventSink* events = nullptr, host::Observer* observer = nullptr,
                  TextMeasure measure = {});
  ~Button();
  Button(const Button&) = delete;
  Button& operator=(const Button&) = delete;

  Boton& control() noexcept;
  void set_events(host::EventSink* events) noexcept;

  // The host's side of a resize: the new extent in twips, then Resize. Throws brelund::Error.
  void resize(float width_twips, float height_twips);
  // N periods of the timer's interval pass on the virtual clock; Timer1 ticks while enabled.
  // Returns the status of the first failing tick, if any.
  Status tick(int periods = 1);

  // The pointer: over the centre of the control, away from it, or at a control pixel.
  void pointer_over();
  void pointer_away();
  void pointer_at(int x, int y);

  // Face, picture, caption and the mask's transparency composed into one ARGB image.
  Raster compose();
  void snapshot(const std::string& png_path);

  struct Impl;

 private:
  friend struct Internals;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brelund::headless
