#include "host/headless/surface.h"

#include "host/error.h"

namespace brelund::headless {

Surface::Surface() : ambient_(std::make_shared<Font>()) {}

void Surface::set_size(float width_twips, float height_twips) {
  width_ = width_twips;
  height_ = height_twips;
  canvas_.resize(width_twips, height_twips);
}

void Surface::set_scale_width(float v) { canvas_.set_scale_width(v); }
void Surface::set_scale_height(float v) { canvas_.set_scale_height(v); }

void Surface::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  if (on_line) on_line(x1, y1, x2, y2, rgb);
  canvas_.line(x1, y1, x2, y2, rgb);
}

void Surface::refresh() {
  if (on_refresh) on_refresh();
}

void Surface::set_mask_picture(PictureRef mask) {
  mask_ = std::move(mask);
  if (on_mask) on_mask(mask_);
}

void Surface::set_mouse_pointer(std::int16_t v) {
  // The host's pointer shapes: 0 to 15, and 99 for a custom icon.
  if ((v < 0 || v > 15) && v != 99)
    throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  mouse_pointer_ = v;
}

void Surface::property_changed(std::string_view name) {
  if (on_property_changed) on_property_changed(name);
}

bool Surface::opaque_at(int x, int y) const noexcept {
  if (x < 0 || y < 0 || x >= canvas_.raster().width || y >= canvas_.raster().height) return false;
  if (!mask_ || mask_->handle == 0) return true;  // no mask yet: the whole window
  if (x >= mask_->width || y >= mask_->height) return false;
  // White mask pixels are cut away.
  return (mask_->pixels[static_cast<std::size_t>(y) * mask_->width + x] & 0xFFFFFFu) != 0xFFFFFFu;
}

}  // namespace brelund::headless
