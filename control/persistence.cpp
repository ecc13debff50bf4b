// Saving and loading the thirteen keys. Keys and the values a set leaves out come from the
// member table; the steps themselves stay written out, because their order is what a load or a
// save can be seen to do. Loads stop at the first value that cannot be converted: the keys
// before it keep their new values, the ones after keep theirs, and the failure goes to the host.
#include "brelund/boton.h"
#include "control/convert.h"
#include "control/property_table.h"
#include "render/colour.h"

namespace brelund {

namespace {

using Id = MemberId;

Variant saved_default(host::Surface& surface, Id id) { return member(id).saved_default(surface); }

Variant read(host::PropertyBag& bag, host::Surface& surface, Id id) {
  return bag.read_property(member(id).name, saved_default(surface, id));
}

void write(host::PropertyBag& bag, host::Surface& surface, Id id, const Variant& value) {
  bag.write_property(member(id).name, value, saved_default(surface, id));
}

}  // namespace

void Boton::InitProperties() {
  using convert::to_int32;
  auto& surface = host_.surface;
  m_RoundSize = to_int32(saved_default(surface, Id::RoundSize));
  m_BackColor = surface.back_color();
  surface.set_back_color(SysColorToRgb(host_.platform, surface.back_color()));
  m_ForeColor = surface.fore_color();
  host_.label.set_fore_color(SysColorToRgb(host_.platform, surface.fore_color()));
  m_Light = to_int32(saved_default(surface, Id::Light));
  m_CreateRegion = kTrue;
  m_Roundness3D = to_int32(saved_default(surface, Id::Roundness3D));
}

void Boton::ReadProperties(host::PropertyBag& bag, LoadRebuild rebuild) {
  using namespace convert;
  auto& surface = host_.surface;
  auto& label = host_.label;
  auto get = [&](Id id) { return read(bag, surface, id); };
  label.set_caption(to_string(get(Id::Caption)));
  surface.set_enabled(to_bool(get(Id::Enabled)));
  label.set_font(to_font(get(Id::Font)));
  set_MouseIcon(to_picture(get(Id::MouseIcon)));
  surface.set_mouse_pointer(to_int16(get(Id::MousePointer)));
  // The picture goes through its setter, which rebuilds with the keys below still unloaded;
  // with the Show right after the load, that Show's rebuild stands for this one.
  put_Picture(to_picture(get(Id::Picture)), rebuild == LoadRebuild::now);
  m_BackColor = to_int32(get(Id::BackColor));
  surface.set_back_color(m_BackColor);
  label.set_fore_color(to_int32(get(Id::ForeColor)));
  m_RoundSize = to_int32(get(Id::RoundSize));
  m_Light = to_int32(get(Id::Light));
  label.set_tool_tip_text(to_string(get(Id::ToolTipText)));
  m_ForeColor = label.fore_color();
  m_CreateRegion = to_bool(get(Id::CreateRegion));
  m_Roundness3D = to_int32(get(Id::Roundness3D));
}

void Boton::WriteProperties(host::PropertyBag& bag) {
  auto& surface = host_.surface;
  auto& label = host_.label;
  auto put = [&](Id id, const Variant& value) { write(bag, surface, id, value); };
  put(Id::Caption, label.caption());
  const Bool16 enabled = surface.enabled();
  put(Id::Enabled, enabled != 0);
  put(Id::Font, label.font());
  put(Id::MouseIcon, MouseIcon());
  put(Id::MousePointer, surface.mouse_pointer());
  put(Id::Picture, Picture());
  put(Id::BackColor, m_BackColor);
  // A disabled caption shows the painter's disabled colour; saving that would lose the colour
  // the application chose. Saving what was assigned gives it back once the control is enabled.
  put(Id::ForeColor, enabled ? label.fore_color() : m_ForeColor);
  put(Id::RoundSize, m_RoundSize);
  put(Id::Light, m_Light);
  put(Id::ToolTipText, label.tool_tip_text());
  put(Id::CreateRegion, m_CreateRegion != 0);
  put(Id::Roundness3D, m_Roundness3D);
}

}  // namespace brelund
