// The control's design-time settings: what a host gives a new instance and its children before
// the first property event. Hosts call apply_design() once, right after creating the children.
#pragma once

#include "brelund/design.h"
#include "brelund/host.h"

namespace brelund::design {

// Sets the surface colours, the caption, the picture box and the timer as the designer left them.
// The surface's extent is the host's to set (kWidth x kHeight for a newly placed button).
void apply_design(host::Services& s);

}  // namespace brelund::design
