#include "control/design.h"

namespace brelund::design {

void apply_design(host::Services& s) {
  s.surface.set_back_color(kBackColor);
  s.surface.set_fore_color(kForeColor);
  s.timer.set_interval(kTimerInterval);
  s.timer.set_enabled(false);
  s.label.set_caption(kCaption);
  s.label.set_tool_tip_text("");
  s.label.set_left(660);
  s.label.set_top(120);
  s.pic.set_picture(nullptr);
  s.pic.set_tool_tip_text("");
  s.pic.set_left(120);
  s.pic.set_top(120);
  // The picture box starts hidden and enabled: without a picture it shows nothing either way,
  // and an enabled box forwards presses like the caption does.
  s.pic.set_visible(kFalse);
  s.pic.set_enabled(kTrue);
  s.mask.clear();
}

}  // namespace brelund::design
