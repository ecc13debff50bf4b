// The headless operating system: a system-colour table and a simulated screen holding the form's
// window with the control's window on it, a pointer, and window-at-point that honours the mask.
#pragma once

#include <array>

#include "brelund/host.h"
#include "host/headless/surface.h"

namespace brelund::headless {

inline constexpr host::WindowHandle kFormWindow = 1;
inline constexpr host::WindowHandle kControlWindow = 2;

// The fixed default scheme for system colours 0..30 (RGB, red in the low byte).
const std::array<OleColor, 31>& default_system_colors();

class Platform final : public host::Platform {
 public:
  explicit Platform(Surface& control) : control_(control) {}

  void set_sys_color(int index, OleColor rgb);
  // Where the control's top-left pixel sits on the screen, and the form's size in pixels.
  void place_control(int x, int y) { origin_ = {x, y}; }
  void set_form_size(int w, int h) { form_ = {w, h}; }
  void set_pointer(host::ScreenPoint p) { pointer_ = p; }
  host::ScreenPoint control_origin() const { return origin_; }
  // Makes the two system queries fail, as a broken platform would.
  void set_failing(bool failing) { failing_ = failing; }

  OleColor get_sys_color(int index) override;
  host::ScreenPoint cursor_pos() override;
  host::WindowHandle window_from_point(host::ScreenPoint p) override;

 private:
  Surface& control_;
  std::array<OleColor, 256> colors_{};
  bool colors_ready_ = false;
  host::ScreenPoint origin_{100, 100};
  host::ScreenPoint form_{800, 600};
  host::ScreenPoint pointer_{0, 0};
  bool failing_ = false;
};

}  // namespace brelund::headless
