// The trace on the Qt host: a real BotonWidget in a real top-level window, driven through Qt's own
// events wherever Qt has an event for what the script asks.
#pragma once

#include <memory>

#include "trace/host.h"

namespace brelund::qt {

// Needs a QApplication. The window is shown at once; each `new` places a fresh, hidden widget in
// it.
std::unique_ptr<trace::Host> make_trace_host();

}  // namespace brelund::qt
