#include "host/headless/platform.h"

#include "brelund/error.h"

namespace brelund::headless {

namespace {
constexpr OleColor rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
}  // namespace

const std::array<OleColor, 31>& default_system_colors() {
  // A classic light scheme: grey 3D faces, black text, navy selection.
  static const std::array<OleColor, 31> table = {
      rgb(200, 200, 200),  // 0 scroll bar
      rgb(58, 110, 165),   // 1 desktop
      rgb(0, 0, 128),      // 2 active caption
      rgb(128, 128, 128),  // 3 inactive caption
      rgb(212, 208, 200),  // 4 menu
      rgb(255, 255, 255),  // 5 window
      rgb(0, 0, 0),        // 6 window frame
      rgb(0, 0, 0),        // 7 menu text
      rgb(0, 0, 0),        // 8 window text
      rgb(255, 255, 255),  // 9 caption text
      rgb(212, 208, 200),  // 10 active border
      rgb(212, 208, 200),  // 11 inactive border
      rgb(128, 128, 128),  // 12 application workspace
      rgb(10, 36, 106),    // 13 highlight
      rgb(255, 255, 255),  // 14 highlight text
      rgb(212, 208, 200),  // 15 button face
      rgb(128, 128, 128),  // 16 button shadow
      rgb(128, 128, 128),  // 17 grey text
      rgb(0, 0, 0),        // 18 button text
      rgb(212, 208, 200),  // 19 inactive caption text
      rgb(255, 255, 255),  // 20 button highlight
      rgb(64, 64, 64),     // 21 3D dark shadow
      rgb(212, 208, 200),  // 22 3D light
      rgb(0, 0, 0),        // 23 info text
      rgb(255, 255, 225),  // 24 info background
      rgb(181, 181, 181),  // 25 (unused by the classic scheme)
      rgb(0, 0, 128),      // 26 hot light
      rgb(166, 202, 240),  // 27 gradient active caption
      rgb(192, 192, 192),  // 28 gradient inactive caption
      rgb(49, 106, 197),   // 29 menu highlight
      rgb(236, 233, 216),  // 30 menu bar
  };
  return table;
}

void Platform::set_sys_color(int index, OleColor rgb_value) {
  if (index < 0 || index > 255)
    throw Error(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
  get_sys_color(0);  // make sure the table is filled before one entry changes
  colors_[static_cast<std::size_t>(index)] = rgb_value;
}

OleColor Platform::get_sys_color(int index) {
  if (!colors_ready_) {
    const auto& d = default_system_colors();
    std::copy(d.begin(), d.end(), colors_.begin());
    colors_ready_ = true;
  }
  // Indexes beyond the scheme answer black, as the platform does for unknown entries.
  if (index < 0 || index > 255) return 0;
  return colors_[static_cast<std::size_t>(index)];
}

host::ScreenPoint Platform::cursor_pos() {
  if (failing_)
    throw Error(errors::kNotSupported, "Object doesn't support this property or method");
  return pointer_;
}

host::WindowHandle Platform::window_from_point(host::ScreenPoint p) {
  if (failing_)
    throw Error(errors::kNotSupported, "Object doesn't support this property or method");
  if (control_.opaque_at(p.x - origin_.x, p.y - origin_.y)) return control_.hwnd();
  if (p.x >= 0 && p.y >= 0 && p.x < form_.x && p.y < form_.y) return kFormWindow;
  return 0;
}

}  // namespace brelund::headless
