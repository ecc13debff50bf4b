#include "brelund/boton.h"

#include "control/look.h"

#include "render/face_painter.h"
#include "render/layout.h"

namespace brelund {

namespace {
// Tells an observer that a paint began and, however it ends, that it ended.
class PaintScope {
 public:
  PaintScope(host::Observer* o, bool lit, bool pressed) : o_(o) {
    if (o_) o_->paint_begin(lit, pressed);
  }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() {
    if (o_) o_->paint_end();
  }

 private:
  host::Observer* o_;
};
}  // namespace

void Boton::PaintFace(Bool16 Highlighted, Bool16 Pressed) {
  const bool lit = Highlighted != 0 || m_Highlighted != 0;
  PaintScope scope(host_.observer, lit, Pressed != 0);
  render::PaintFace(host_.surface, host_.label, host_.platform,
                    {lit, Pressed != 0, m_BackColor, Light(), Roundness3D()});
}

FaceState face_state(Boton& c, const HostStates& host) {
  FaceState s;
  s.disabled = !host.enabled || !c.services().surface.enabled();
  s.lit = c.lit();
  // The toolkit's own press has no steps in the control: its look is the host's to paint.
  const bool held = (host.down || host.checked) && !s.disabled && !c.pressed();
  s.pressed = held || c.pressed();
  s.checked = host.checked;
  s.is_default = host.is_default;
  s.back = host.back.value_or(c.BackColorOriginal());
  s.own = !held && !host.back;
  s.hidden = host.flat && !s.lit && !s.pressed && !host.back;
  return s;
}

void Boton::LayoutContent() {
  render::LayoutContent(host_.surface, host_.label, host_.pic, m_Pressed != 0);
  if (host_.observer) host_.observer->laid_out();
}

void Boton::Resize() {
  host_.events.Resize();
  CreaNuevaRegion();
}

void Boton::Show() { CreaNuevaRegion(); }

}  // namespace brelund
