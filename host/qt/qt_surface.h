// UserControl on Qt: the stored surface shown by the widget's paintEvent, the window shape from
// the mask picture, the pointer shape, and the extender and ambient font of the form.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include <QWidget>

#include "host/common/stored_surface.h"

namespace brelund::qt {

class Surface final : public host::StoredSurface {
 public:
  Surface(QWidget& widget, host::WindowHandle hwnd);

  std::function<void(std::string_view)> on_property_changed;

  void refresh() override { widget_.update(); }
  host::WindowHandle hwnd() override { return hwnd_; }
  void property_changed(std::string_view name) override;

 private:
  void changed(host::Change what) override;
  void apply_shape();
  void apply_cursor();
  QWidget& widget_;
  host::WindowHandle hwnd_;
};

}  // namespace brelund::qt
