// UserControl on Qt: the stored surface shown by the widget's paintEvent, the window shape from
// the mask picture, the pointer shape, and the extender and ambient font of the form.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include <QWidget>

#include "host/stored_surface.h"

namespace brelund::qt {

class Surface final : public host::StoredSurface {
 public:
  Surface(QWidget& widget, host::WindowHandle hwnd);

  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
    default_ = is_default;
    cancel_ = is_cancel;
  }
  void set_ambient_font(FontRef f);

  std::function<void(std::string_view)> on_property_changed;

  void refresh() override { widget_.update(); }
  host::WindowHandle hwnd() override { return hwnd_; }
  std::optional<bool> extender_default() override { return default_; }
  std::optional<bool> extender_cancel() override { return cancel_; }
  FontRef ambient_font() override { return ambient_; }
  void property_changed(std::string_view name) override;

 private:
  void changed(host::Change what) override;
  void apply_shape();
  void apply_cursor();
  QWidget& widget_;
  host::WindowHandle hwnd_;
  std::optional<bool> default_ = false, cancel_ = false;
  FontRef ambient_;
};

}  // namespace brelund::qt
