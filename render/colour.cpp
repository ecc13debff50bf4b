#include "render/colour.h"

#include "brelund/host.h"

namespace brelund {

std::int32_t SysColorToRgb(host::Platform& platform, OleColor color) {
  if (color < -1) return platform.get_sys_color(color & 255);
  return color;
}

}  // namespace brelund
