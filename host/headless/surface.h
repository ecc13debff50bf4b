// The headless UserControl: the stored surface with a simulated window handle, extender and
// ambient font. Nothing is shown until a caller asks for the picture.
#pragma once

#include "host/common/stored_surface.h"

namespace brelund::headless {

class Surface final : public host::StoredSurface {
 public:
  void set_hwnd(host::WindowHandle h) { hwnd_ = h; }
  host::WindowHandle hwnd() override { return hwnd_; }

 private:
  host::WindowHandle hwnd_ = 2;
};

}  // namespace brelund::headless
