#include "render/layout.h"

#include "control/numeric.h"

namespace brelund::render {

namespace {

// Half of the free room: the difference is rounded (ties to even) before the truncating halving,
// so 2520.5 gives 1260 and 2521.5 gives 1261.
std::int32_t centre(double free_room) { return num::div32(num::to_i32(free_room), 2); }

float place(std::int32_t offset, double free_room) {
  return static_cast<float>(num::add32(offset, centre(free_room)));
}

}  // namespace

void LayoutContent(host::Surface& s, host::Label& label, host::Image& pic, bool pressed) {
  const std::int32_t offset = pressed ? static_cast<std::int32_t>(kPressedOffset) : 0;
  label.set_top(place(offset, double{s.height()} - label.height()));
  const PictureRef picture = pic.picture();
  if (picture && picture->handle != 0) {
    pic.set_top(place(offset, double{s.height()} - pic.height()));
    if (!label.caption().empty()) {
      pic.set_left(place(offset, double{s.width()} - pic.width() - label.width() - kPictureGap));
    } else {
      pic.set_left(place(offset, double{s.width()} - pic.width()));
    }
    label.set_left(pic.left() + pic.width() + kPictureGap);
  } else {
    label.set_left(place(offset, double{s.width()} - label.width()));
  }
}

}  // namespace brelund::render
