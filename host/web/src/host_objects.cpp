#include "host/web/src/host_objects.h"

#include <algorithm>
#include <cmath>

#include "brelund/units.h"
#include "host/headless/platform.h"

namespace brelund::web {

void Surface::changed(host::Change c) {
  switch (c) {
    case host::Change::enabled:
      dirty_ |= kEnabled;
      break;
    case host::Change::pointer:
      dirty_ |= kPointer;
      break;
    default:
      dirty_ |= kFace;
  }
}

// Not measured yet: the instance gives the caption its design text before anything asks for
// its size, and that measures it.
Label::Label(std::uint32_t& dirty, Measure measure)
    : StoredLabel(std::make_shared<const Font>()), dirty_(dirty), measure_(std::move(measure)) {}

void Label::changed(host::Change c) {
  dirty_ |= c == host::Change::tip ? kTip : kCaption;
  if (c != host::Change::text && c != host::Change::measure) return;
  if (pinned() || !measure_) return measured(0, 0);
  const TextSize s = measure_(*font(), caption());
  // The page measures in fractions of a pixel; the label covers whole pixels, as a window does.
  const auto whole = [](double px) {
    return px > 0 && px < units::kMaxPixels ? std::ceil(px) : 0.0;
  };
  measured(units::twips_of_pixels(whole(s.width)), units::twips_of_pixels(whole(s.height)));
}

void Image::changed(host::Change c) { dirty_ |= c == host::Change::tip ? kTip : kPicture; }

Platform::Platform(const host::StoredSurface& control) : control_(control) {
  const auto& scheme = headless::default_system_colors();
  std::copy(scheme.begin(), scheme.end(), colors_);
}

void Platform::set_sys_color(int index, OleColor rgb) {
  if (index < 0 || index > 255)
    throw Error(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
  colors_[index] = rgb;
}

// Indexes beyond the table answer black, as the platform does for unknown entries.
OleColor Platform::get_sys_color(int index) {
  return index < 0 || index > 255 ? 0 : colors_[index];
}

host::WindowHandle Platform::window_from_point(host::ScreenPoint p) {
  return control_.opaque_at(p.x, p.y) ? kControlWindow : kPageWindow;
}

}  // namespace brelund::web
