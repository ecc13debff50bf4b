// What a tool watching one control sees of its host's objects: the trace, tests, and a Win32
// container that asks the server to report them. Every host's stored surface and children call
// it, so a host adds nothing of its own for it; a control without a watcher pays nothing.
#pragma once

#include <string_view>

#include "brelund/host.h"

namespace brelund::host {

class Watcher : public Observer {
 public:
  // PropertyChanged(name), as the host is told it.
  virtual void changed(std::string_view /*name*/) {}
  // The control asked its host to redraw the surface.
  virtual void refreshed() {}
  virtual void mask_set(const MaskRef& /*mask*/) {}
  // Every line the control draws on its surface, rows one by one, as it draws them.
  virtual void line(float /*x1*/, float /*y1*/, float /*x2*/, float /*y2*/, OleColor /*rgb*/) {}
  virtual void caption_colour(OleColor /*c*/) {}
  // The picture was placed (its Left or Top written).
  virtual void pic_moved() {}
};

}  // namespace brelund::host
