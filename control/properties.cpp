// The property surface. Each setter writes its one store, updates what depends on it, rebuilds
// when the look or shape changes, and tells the host last. No setter checks or compares: the same
// value assigned twice rebuilds and notifies twice, which designers and scripts rely on.
#include "brelund/boton.h"
#include "render/colour.h"

namespace brelund {

std::string Boton::Caption() { return host_.label.caption(); }
void Boton::set_Caption(const std::string& text) {
  host_.label.set_caption(text);
  CreaNuevaRegion();
  notify("Caption");
}

Bool16 Boton::Enabled() { return host_.surface.enabled(); }
void Boton::set_Enabled(Bool16 value) {
  host_.surface.set_enabled(value);
  // Enabling hands the caption the colour as assigned, a system colour unresolved; disabling
  // leaves it to the painter, which sets the disabled caption colour.
  if (value) host_.label.set_fore_color(m_ForeColor);
  host_.pic.set_enabled(value);
  CreaNuevaRegion();
  notify("Enabled");
}

FontRef Boton::Font() { return host_.label.font(); }
void Boton::set_Font(FontRef font) {
  host_.label.set_font(std::move(font));
  CreaNuevaRegion();
  notify("Font");
}

PictureRef Boton::MouseIcon() { return host_.surface.mouse_icon(); }
void Boton::set_MouseIcon(PictureRef picture) {
  host_.surface.set_mouse_icon(std::move(picture));
  notify("MouseIcon");
}

std::int16_t Boton::MousePointer() { return host_.surface.mouse_pointer(); }
void Boton::set_MousePointer(std::int16_t value) {
  host_.surface.set_mouse_pointer(value);
  notify("MousePointer");
}

PictureRef Boton::Picture() { return host_.pic.picture(); }
void Boton::set_Picture(PictureRef picture) { put_Picture(std::move(picture), true); }

void Boton::put_Picture(PictureRef picture, bool rebuild) {
  // Only the reference counts: a picture object without an image still shows the box.
  const bool has_object = picture != nullptr;
  host_.pic.set_picture(std::move(picture));
  host_.pic.set_visible(to_bool16(has_object));
  if (rebuild) CreaNuevaRegion();
  notify("Picture");
}

void Boton::Refresh() { host_.surface.refresh(); }

OleColor Boton::BackColor() { return host_.surface.back_color(); }
void Boton::set_BackColor(OleColor color) {
  m_BackColor = color;
  host_.surface.set_back_color(SysColorToRgb(host_.platform, color));
  CreaNuevaRegion();
  notify("BackColor");
}

OleColor Boton::ForeColor() { return host_.label.fore_color(); }
void Boton::set_ForeColor(OleColor color) {
  m_ForeColor = color;
  host_.label.set_fore_color(SysColorToRgb(host_.platform, color));
  notify("ForeColor");
}

void Boton::set_RoundSize(std::int32_t value) {
  m_RoundSize = value;
  CreaNuevaRegion();
  notify("RoundSize");
}

void Boton::set_Light(std::int32_t value) {
  m_Light = value;
  CreaNuevaRegion();
  notify("Light");
}

std::string Boton::ToolTipText() { return host_.label.tool_tip_text(); }
void Boton::set_ToolTipText(const std::string& text) {
  host_.label.set_tool_tip_text(text);
  host_.pic.set_tool_tip_text(text);
  notify("ToolTipText");
}

void Boton::set_CreateRegion(Bool16 value) {
  m_CreateRegion = value;
  CreaNuevaRegion();
  notify("CreateRegion");
}

void Boton::set_Roundness3D(std::int32_t value) {
  m_Roundness3D = value;
  CreaNuevaRegion();
  notify("Roundness3D");
}

}  // namespace brelund
