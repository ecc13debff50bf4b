// Saving and loading the thirteen keys. Loads go key by key in a fixed order and stop at the
// first value that cannot be converted: the keys before it keep their new values, the ones after
// keep theirs, and the failure goes to the host.
#include "brelund/boton.h"
#include "control/convert.h"
#include "control/design.h"
#include "render/colour.h"

namespace brelund {

namespace {
const Variant kNoObject = PictureRef{};
}

void Boton::InitProperties() {
  auto& surface = host_.surface;
  m_RoundSize = 20;
  m_BackColor = surface.back_color();
  surface.set_back_color(SysColorToRgb(host_.platform, surface.back_color()));
  m_ForeColor = surface.fore_color();
  host_.label.set_fore_color(SysColorToRgb(host_.platform, surface.fore_color()));
  m_Light = 45;
  m_CreateRegion = kTrue;
  m_Roundness3D = 20;
}

void Boton::ReadProperties(host::PropertyBag& bag) {
  using namespace convert;
  auto& surface = host_.surface;
  auto& label = host_.label;
  label.set_caption(to_string(bag.read_property("Caption", std::string(design::kCaption))));
  surface.set_enabled(to_bool(bag.read_property("Enabled", true)));
  const FontRef ambient = surface.ambient_font();
  label.set_font(to_font(bag.read_property("Font", ambient)));
  set_MouseIcon(to_picture(bag.read_property("MouseIcon", kNoObject)));
  surface.set_mouse_pointer(to_int16(bag.read_property("MousePointer", std::int16_t{0})));
  // The picture goes through its setter, which rebuilds with the keys below still unloaded.
  set_Picture(to_picture(bag.read_property("Picture", kNoObject)));
  m_BackColor = to_int32(bag.read_property("BackColor", design::kBackColor));
  surface.set_back_color(m_BackColor);
  label.set_fore_color(to_int32(bag.read_property("ForeColor", design::kForeColor)));
  m_RoundSize = to_int32(bag.read_property("RoundSize", std::int32_t{20}));
  m_Light = to_int32(bag.read_property("Light", std::int32_t{45}));
  label.set_tool_tip_text(to_string(bag.read_property("ToolTipText", std::string())));
  m_ForeColor = label.fore_color();
  m_CreateRegion = to_bool(bag.read_property("CreateRegion", true));
  m_Roundness3D = to_int32(bag.read_property("Roundness3D", std::int32_t{20}));
}

void Boton::WriteProperties(host::PropertyBag& bag) {
  auto& surface = host_.surface;
  auto& label = host_.label;
  bag.write_property("Caption", label.caption(), std::string(design::kCaption));
  const Bool16 enabled = surface.enabled();
  bag.write_property("Enabled", enabled != 0, true);
  bag.write_property("Font", label.font(), surface.ambient_font());
  bag.write_property("MouseIcon", MouseIcon(), kNoObject);
  bag.write_property("MousePointer", surface.mouse_pointer(), std::int16_t{0});
  bag.write_property("Picture", Picture(), kNoObject);
  bag.write_property("BackColor", m_BackColor, design::kBackColor);
  // A disabled caption shows the painter's disabled colour; saving that would lose the colour
  // the application chose. Saving what was assigned gives it back once the control is enabled.
  bag.write_property("ForeColor", enabled ? label.fore_color() : m_ForeColor, design::kForeColor);
  bag.write_property("RoundSize", m_RoundSize, std::int32_t{20});
  bag.write_property("Light", m_Light, std::int32_t{45});
  bag.write_property("ToolTipText", label.tool_tip_text(), std::string());
  bag.write_property("CreateRegion", m_CreateRegion != 0, true);
  bag.write_property("Roundness3D", m_Roundness3D, std::int32_t{20});
}

}  // namespace brelund
