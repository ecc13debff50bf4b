// The trace's verbs on a control that lives in this process: the container's steps are the
// instance's, and members go through the control's public members as the member table names them.
#include "control/property_table.h"
#include "trace/host.h"

namespace brelund::trace {

Status InstanceHost::let(const Member& member, const Variant& value) {
  return guarded([&] {
    if (!member.put) errors::not_supported();
    member.put(instance().control(), value);
  });
}

Status InstanceHost::get(const Member& member, std::optional<Variant>& result) {
  return guarded([&] {
    Boton& control = instance().control();
    if (member.call) return member.call(control);
    if (!member.get) errors::not_supported();
    result = member.get(control);
  });
}

Status InstanceHost::key(KeyVerb verb, std::int16_t code, std::int16_t shift) {
  host::Instance& in = instance();
  switch (verb) {
    case KeyVerb::down:
      return in.key_down(code, shift);
    case KeyVerb::up:
      return in.key_up(code, shift);
    case KeyVerb::press:
      return in.key_press(code);
    case KeyVerb::access:
      break;
  }
  return in.access_key(code);
}

Status InstanceHost::focus(FocusVerb verb) {
  return guarded([&] {
    Boton& control = instance().control();
    switch (verb) {
      case FocusVerb::enter:
        return control.EnterFocus();
      case FocusVerb::got:
        return control.GotFocus();
      case FocusVerb::exit:
        return control.ExitFocus();
      case FocusVerb::lost:
        return control.LostFocus();
    }
  });
}

StateView InstanceHost::state() {
  auto& s = surface();
  auto& l = label();
  auto& p = pic();
  StateView v;
  v.fields = instance().control().fields();
  v.timer = timer().enabled();
  v.enabled = s.enabled() != 0;
  v.back_color = s.back_color();
  v.scale_width = s.scale_width();
  v.scale_height = s.scale_height();
  v.label = {l.caption(), l.tool_tip_text(), l.fore_color(), l.left(),
             l.top(),     l.width(),         l.height()};
  v.pic.visible = p.visible() != 0;
  v.pic.enabled = p.enabled() != 0;
  v.pic.tool_tip_text = p.tool_tip_text();
  v.pic.left = p.left();
  v.pic.top = p.top();
  v.pic.width = p.width();
  v.pic.height = p.height();
  return v;
}

}  // namespace brelund::trace
