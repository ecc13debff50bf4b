// Boton: the push button with a shaded face and rounded, click-through corners. The control owns
// only its eight fields; everything visible lives in the host's objects (host/host.h), which it
// drives from the host's notifications and its public members.
//
// Every member and entry point reports failure by throwing brelund::Error; whatever it changed
// before the failure stays changed, as automation clients expect. Hosts catch at their boundary
// (see brelund::guarded).
#pragma once

#include <cstdint>
#include <string>

#include "brelund/host.h"

namespace brelund {

// The instance fields, in their declaration order. The control holds them as its base, so they
// are declared here once; fields() is a snapshot for tools and tests.
struct BotonFields {
  Bool16 m_Highlighted = kFalse;
  Bool16 m_Pressed = kFalse;
  OleColor m_ForeColor = 0;
  OleColor m_BackColor = 0;
  std::int32_t m_Roundness3D = 0;
  Bool16 m_CreateRegion = kFalse;
  std::int32_t m_Light = 0;
  std::int32_t m_RoundSize = 0;
  friend bool operator==(const BotonFields&, const BotonFields&) = default;
};

// When a load's own rebuild happens (see Boton::ReadProperties).
enum class LoadRebuild {
  now,      // the Picture key rebuilds as its setter does, with the keys after it still unloaded
  at_show,  // left to the Show that the host raises right after the load
};

class Boton : private BotonFields {
 public:
  // The host has created the four children with the design settings (control/design.h).
  explicit Boton(host::Services services) noexcept : host_(services) {}
  Boton(const Boton&) = delete;
  Boton& operator=(const Boton&) = delete;

  BotonFields fields() const noexcept { return *this; }
  host::Services& services() noexcept { return host_; }
  // Held down by the mouse or a key: the look a host that draws its own states shows as pressed.
  bool pressed() const noexcept { return m_Pressed != kFalse; }
  // Lit: focused, or the pointer over it (Timer1 runs only then) while it is not held.
  bool lit() const { return m_Highlighted != kFalse || (host_.timer.enabled() && !pressed()); }

  // ---- the public members, in the order of their slots ----
  std::string Caption();
  void set_Caption(const std::string& text);
  Bool16 Enabled();
  void set_Enabled(Bool16 value);
  FontRef Font();
  void set_Font(FontRef font);
  PictureRef MouseIcon();
  void set_MouseIcon(PictureRef picture);
  std::int16_t MousePointer();
  void set_MousePointer(std::int16_t value);
  PictureRef Picture();
  void set_Picture(PictureRef picture);
  void Refresh();
  OleColor BackColor();
  void set_BackColor(OleColor color);
  OleColor ForeColor();
  void set_ForeColor(OleColor color);
  std::int32_t RoundSize() const noexcept { return m_RoundSize; }
  void set_RoundSize(std::int32_t value);
  std::int32_t Light() const noexcept { return m_Light; }
  void set_Light(std::int32_t value);
  std::string ToolTipText();
  void set_ToolTipText(const std::string& text);
  std::int32_t BackColorOriginal() const noexcept { return m_BackColor; }
  // Full rebuild: mask, face (released, lit only through m_Highlighted), layout.
  void CreaNuevaRegion();
  Bool16 CreateRegion() const noexcept { return m_CreateRegion; }
  void set_CreateRegion(Bool16 value);
  std::int32_t Roundness3D() const noexcept { return m_Roundness3D; }
  void set_Roundness3D(std::int32_t value);

  // ---- host notifications ----
  void InitProperties();
  // The Picture key goes through its setter, which rebuilds. A host that raises Show as soon as
  // the load ends, with nothing looking at the control in between (no observer, nothing shown),
  // passes LoadRebuild::at_show: Show's rebuild redraws all that one would have drawn (mask, face
  // and layout alike), so it is not made. Should such a load fail, the control has not been
  // rebuilt since before it, and the host discards the control rather than show it.
  void ReadProperties(host::PropertyBag& bag, LoadRebuild rebuild = LoadRebuild::now);
  void WriteProperties(host::PropertyBag& bag);
  void Resize();
  void Show();

  void EnterFocus();
  void GotFocus();
  void ExitFocus();
  void LostFocus();

  // Pointer notifications on the surface. A host forwards those of the caption and the picture
  // to the same entry points with the child's own coordinates and the same argument storage.
  void MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
  void MouseMove(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);
  void MouseUp(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y);

  void KeyDown(std::int16_t& KeyCode, std::int16_t& Shift);
  void KeyPress(std::int16_t& KeyAscii);
  void KeyUp(std::int16_t& KeyCode, std::int16_t& Shift);
  void AccessKeyPress(std::int16_t& KeyAscii);

  void Timer1_Timer();

 private:
  void PaintFace(Bool16 Highlighted, Bool16 Pressed);
  void put_Picture(PictureRef picture, bool rebuild);
  void LayoutContent();
  void hover_step(std::int16_t button);
  void notify(const char* name) { host_.surface.property_changed(name); }

  host::Services host_;

  // The key whose release may click the button: the last Space or Enter pressed on it, or Escape
  // when it pressed the button. A release of any other key, or after the focus left, does not
  // click: otherwise Escape in a dialog would cancel it and click the focused button too, and a
  // key pressed on one control would click the next one if the focus moved while it was held.
  std::int16_t armed_key_ = 0;
};

}  // namespace brelund
