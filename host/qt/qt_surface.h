// UserControl on Qt: the retained face (a Canvas shown by the widget's paintEvent), the window
// shape from the mask picture, and the surface's stored properties, extender and ambient font.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include <QWidget>

#include "host/canvas.h"
#include "host/host.h"

namespace brelund::qt {

class Surface final : public host::Surface {
 public:
  Surface(QWidget& widget, host::WindowHandle hwnd);

  // The host's side: a new extent in twips. The widget follows in whole pixels.
  void set_size(float width_twips, float height_twips);
  const Canvas& canvas() const noexcept { return canvas_; }
  const PictureRef& mask_picture() const noexcept { return mask_; }
  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
    default_ = is_default;
    cancel_ = is_cancel;
  }
  void set_ambient_font(FontRef f);

  std::function<void(std::string_view)> on_property_changed;

  // host::Surface
  float width() override { return width_; }
  float height() override { return height_; }
  float scale_width() override { return canvas_.scale_width(); }
  float scale_height() override { return canvas_.scale_height(); }
  void set_scale_width(float v) override { canvas_.set_scale_width(v); }
  void set_scale_height(float v) override { canvas_.set_scale_height(v); }
  void set_draw_style(std::int16_t style) override { draw_style_ = style; }
  void line(float x1, float y1, float x2, float y2, OleColor rgb) override;
  void refresh() override { widget_.update(); }
  void set_mask_picture(PictureRef mask) override;
  OleColor back_color() override { return back_; }
  void set_back_color(OleColor c) override { back_ = c; }
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override { fore_ = c; }
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override;
  std::int16_t mouse_pointer() override { return mouse_pointer_; }
  void set_mouse_pointer(std::int16_t v) override;
  PictureRef mouse_icon() override { return mouse_icon_; }
  void set_mouse_icon(PictureRef p) override;
  host::WindowHandle hwnd() override { return hwnd_; }
  std::optional<bool> extender_default() override { return default_; }
  std::optional<bool> extender_cancel() override { return cancel_; }
  FontRef ambient_font() override { return ambient_; }
  void property_changed(std::string_view name) override;

 private:
  void apply_cursor();
  QWidget& widget_;
  float width_ = 0, height_ = 0;
  std::int16_t draw_style_ = 0;
  Canvas canvas_;
  PictureRef mask_;
  OleColor back_ = 0, fore_ = 0;
  Bool16 enabled_ = kTrue;
  std::int16_t mouse_pointer_ = 0;
  PictureRef mouse_icon_;
  host::WindowHandle hwnd_;
  std::optional<bool> default_ = false, cancel_ = false;
  FontRef ambient_;
};

}  // namespace brelund::qt
