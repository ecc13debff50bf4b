// The pointer test shared by the hover, drag and click steps, in the module Util that publishes
// it under that name.
#pragma once

#include "brelund/host.h"

namespace brelund::Util {

// True when the window the system finds under the pointer is exactly `window`. Failures of the
// two system queries are swallowed and answer False: a pointer test must never stop the input
// step that asks it.
bool CursorOverWindow(host::Platform& platform, const host::WindowHandle& window) noexcept;

}  // namespace brelund::Util
