// The headless UserControl: a retained pixel surface with a scale system, plus the surface's
// stored properties, extender and ambient values.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/canvas.h"
#include "host/host.h"

namespace brelund::headless {

class Surface final : public host::Surface {
 public:
  Surface();

  // The host side: size in twips (resets the scale to the client area in twips).
  void set_size(float width_twips, float height_twips);
  const Raster& pixels() const noexcept { return canvas_.raster(); }
  const PictureRef& mask_picture() const noexcept { return mask_; }
  // True when pixel (x, y) of the control belongs to it (inside and not cut away by the mask).
  bool opaque_at(int x, int y) const noexcept;

  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
    default_ = is_default;
    cancel_ = is_cancel;
  }
  void set_ambient_font(FontRef f) { ambient_ = std::move(f); }
  void set_hwnd(host::WindowHandle h) { hwnd_ = h; }

  // Hooks for tools that show what happens; none by default.
  std::function<void(std::string_view)> on_property_changed;
  std::function<void()> on_refresh;
  std::function<void(const PictureRef&)> on_mask;
  std::function<void(float, float, float, float, OleColor)> on_line;

  // host::Surface
  float width() override { return width_; }
  float height() override { return height_; }
  float scale_width() override { return canvas_.scale_width(); }
  float scale_height() override { return canvas_.scale_height(); }
  void set_scale_width(float v) override;
  void set_scale_height(float v) override;
  void set_draw_style(std::int16_t style) override { draw_style_ = style; }
  void line(float x1, float y1, float x2, float y2, OleColor rgb) override;
  void refresh() override;
  void set_mask_picture(PictureRef mask) override;
  OleColor back_color() override { return back_; }
  void set_back_color(OleColor c) override { back_ = c; }
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override { fore_ = c; }
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override { enabled_ = v; }
  std::int16_t mouse_pointer() override { return mouse_pointer_; }
  void set_mouse_pointer(std::int16_t v) override;
  PictureRef mouse_icon() override { return mouse_icon_; }
  void set_mouse_icon(PictureRef p) override { mouse_icon_ = std::move(p); }
  host::WindowHandle hwnd() override { return hwnd_; }
  std::optional<bool> extender_default() override { return default_; }
  std::optional<bool> extender_cancel() override { return cancel_; }
  FontRef ambient_font() override { return ambient_; }
  void property_changed(std::string_view name) override;

  std::int16_t draw_style() const noexcept { return draw_style_; }

 private:
  float width_ = 0, height_ = 0;
  std::int16_t draw_style_ = 0;
  Canvas canvas_;
  PictureRef mask_;
  OleColor back_ = 0, fore_ = 0;
  Bool16 enabled_ = kTrue;
  std::int16_t mouse_pointer_ = 0;
  PictureRef mouse_icon_;
  host::WindowHandle hwnd_ = 2;
  std::optional<bool> default_ = false, cancel_ = false;
  FontRef ambient_;
};

}  // namespace brelund::headless
