// The face a host shows for the control, decided once for every host: the control's own state
// (lit, pressed, enabled) together with what a toolkit adds around it (its own down and checked
// states, the default button, a style's colour for the state, a flat button). A host paints what
// this says and decides none of it again.
#pragma once

#include <optional>

#include "brelund/boton.h"
#include "render/face_painter.h"

namespace brelund {

// What the host's toolkit holds beside the control.
struct HostStates {
  bool down = false;     // the toolkit holds the button down (its setDown, a click in progress)
  bool checked = false;  // a toggle button left on
  bool enabled = true;   // the toolkit's own enabled state, its ancestors' included
  bool is_default = false;
  bool flat = false;             // the face is shown only while it is lit or pressed
  std::optional<OleColor> back;  // a style's base colour for the state, over BackColor
};

struct FaceState {
  bool lit = false;
  bool pressed = false;
  bool disabled = false;
  bool checked = false;
  bool is_default = false;
  bool hidden = false;  // a flat button at rest: nothing of the face is shown
  OleColor back = 0;
  // The face the control paints in its own steps is this one: the host has nothing to paint over
  // it. Otherwise the host paints `face()` itself whenever the control's own paint replaced it.
  bool own = true;
  render::FaceLook face(const Boton& c) const {
    return {lit, pressed, back, c.Light(), c.Roundness3D()};
  }
  bool operator==(const FaceState&) const = default;
};

// A toolkit's down or checked state shows the control's pressed look while the button is enabled;
// the control's own press shows it always. A style's colour is the face's base colour.
FaceState face_state(Boton& c, const HostStates& host);

}  // namespace brelund
