// What every host's surface keeps: its extent, the retained drawing with its scale, the mask
// (as its runs) and the stored properties. A host derives from it, shows the state in changed(),
// and supplies the rest of the surface (window handle, redraw, extender, ambient font,
// notification).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "brelund/error.h"
#include "brelund/units.h"
#include "host/common/canvas.h"
#include "host/common/stored_children.h"
#include "host/common/watcher.h"

namespace brelund::host {

class StoredSurface : public Surface {
 public:
  // The host's side of a resize: the extent in twips. The scale goes back to twips.
  void set_size(float width_twips, float height_twips) {
    width_ = width_twips;
    height_ = height_twips;
    canvas_.resize(width_twips, height_twips);
    changed(Change::size);
  }
  const Canvas& canvas() const noexcept { return canvas_; }
  // The retained drawing, made now if it is not yet (see Canvas::raster).
  const Raster& pixels() const { return canvas_.raster(); }
  // Its size in pixels, without making it.
  int pixel_width() const noexcept { return canvas_.width(); }
  int pixel_height() const noexcept { return canvas_.height(); }
  // Null before the first rebuild.
  const MaskRef& mask_picture() const noexcept { return mask_; }
  std::int16_t draw_style() const noexcept { return draw_style_; }
  // True when pixel (x, y) of the control belongs to it: inside, and not cut away by the mask.
  // Before the first mask the whole window does.
  bool opaque_at(int x, int y) const noexcept {
    if (x < 0 || y < 0 || x >= canvas_.width() || y >= canvas_.height()) return false;
    if (!mask_ || mask_->handle() == 0) return true;
    return mask_->opaque_at(x, y);
  }

  float width() override { return width_; }
  float height() override { return height_; }
  float scale_width() override { return canvas_.scale_width(); }
  float scale_height() override { return canvas_.scale_height(); }
  void set_scale_width(float v) override { canvas_.set_scale_width(v); }
  void set_scale_height(float v) override { canvas_.set_scale_height(v); }
  void set_draw_style(std::int16_t style) override { draw_style_ = style; }

  // A tool that shows what the control does (the trace); none by default. While one watches,
  // it sees every row of a batch as its own line.
  void watch(Watcher* w) noexcept { watcher_ = w; }
  Watcher* watcher() const noexcept { return watcher_; }

  void line(float x1, float y1, float x2, float y2, OleColor rgb) override {
    if (watcher_) watcher_->line(x1, y1, x2, y2, rgb);
    canvas_.line(x1, y1, x2, y2, rgb);
    changed(Change::drawing);
  }
  void rows(const Row* rows, int count) override {
    if (count <= 0) return;
    if (watcher_) return Surface::rows(rows, count);
    canvas_.rows(rows, count);
    changed(Change::drawing);
  }
  void set_mask_picture(MaskRef mask) override {
    mask_ = std::move(mask);
    if (watcher_) watcher_->mask_set(mask_);
    changed(Change::mask);
  }
  void refresh() final {
    if (watcher_) watcher_->refreshed();
    redraw();
  }
  void property_changed(std::string_view name) final {
    if (watcher_) watcher_->changed(name);
    notify(name);
  }
  OleColor back_color() override { return back_; }
  void set_back_color(OleColor c) override { back_ = c; }
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override { fore_ = c; }
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override {
    enabled_ = v;
    changed(Change::enabled);
  }
  std::int16_t mouse_pointer() override { return mouse_pointer_; }
  // The pointer shapes of the automation world: 0 to 15, and 99 for a custom icon.
  void set_mouse_pointer(std::int16_t v) override {
    if ((v < 0 || v > 15) && v != 99)
      throw Error(errors::kInvalidPropertyValue, "Invalid property value");
    mouse_pointer_ = v;
    changed(Change::pointer);
  }
  // The extender's Default and Cancel and the container's font, as the host was told them. A
  // host whose container answers for these itself overrides the readers.
  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
    default_ = is_default;
    cancel_ = is_cancel;
  }
  void set_ambient_font(FontRef f) { ambient_ = f ? std::move(f) : std::make_shared<Font>(); }
  std::optional<bool> extender_default() override { return default_; }
  std::optional<bool> extender_cancel() override { return cancel_; }
  FontRef ambient_font() override { return ambient_; }

  PictureRef mouse_icon() override { return mouse_icon_; }
  void set_mouse_icon(PictureRef p) override {
    mouse_icon_ = std::move(p);
    changed(Change::pointer);
  }

 protected:
  virtual void changed(Change) {}
  // Refresh: show the retained drawing again now.
  virtual void redraw() {}
  // PropertyChanged: tell the container.
  virtual void notify(std::string_view /*name*/) {}

 private:
  Watcher* watcher_ = nullptr;
  float width_ = 0, height_ = 0;
  std::int16_t draw_style_ = 0;
  Canvas canvas_;
  MaskRef mask_;
  OleColor back_ = 0, fore_ = 0;
  Bool16 enabled_ = kTrue;
  std::int16_t mouse_pointer_ = 0;
  PictureRef mouse_icon_;
  std::optional<bool> default_ = false, cancel_ = false;
  FontRef ambient_ = std::make_shared<Font>();
};

}  // namespace brelund::host
