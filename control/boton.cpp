#include "brelund/boton.h"

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
