// The headless UserControl: the stored surface with a simulated window handle, extender and
// ambient font, and hooks through which tools see what the control does.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/common/stored_surface.h"

namespace brelund::headless {

class Surface final : public host::StoredSurface {
 public:
  void set_hwnd(host::WindowHandle h) { hwnd_ = h; }

  // Hooks for tools that show what happens; none by default. The line hook, on_line, is the
  // stored surface's.
  std::function<void(std::string_view)> on_property_changed;
  std::function<void()> on_refresh;
  std::function<void(const PictureRef&)> on_mask;
  void refresh() override {
    if (on_refresh) on_refresh();
  }
  host::WindowHandle hwnd() override { return hwnd_; }
  void property_changed(std::string_view name) override {
    if (on_property_changed) on_property_changed(name);
  }

 private:
  void changed(host::Change what) override {
    if (what == host::Change::mask && on_mask) on_mask(mask_picture());
  }
  host::WindowHandle hwnd_ = 2;
};

}  // namespace brelund::headless
