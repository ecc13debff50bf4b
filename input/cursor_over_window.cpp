#include "input/cursor_over_window.h"

namespace brelund::Util {

bool CursorOverWindow(host::Platform& platform, const host::WindowHandle& window) noexcept {
  try {
    return platform.window_from_point(platform.cursor_pos()) == window;
  } catch (...) {
    return false;
  }
}

}  // namespace brelund::Util
