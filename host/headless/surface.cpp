#include "host/headless/surface.h"

#include <algorithm>
#include <cmath>

#include "host/error.h"

namespace brelund::headless {

namespace {
int to_pixel(double units, double pixels_per_unit) {
  const double p = std::floor(units * pixels_per_unit);
  // Far-off coordinates only need to stay off the raster.
  return static_cast<int>(std::clamp(p, -1e6, 1e6));
}
}  // namespace

Surface::Surface() : ambient_(std::make_shared<Font>()) {}

void Surface::set_size(float width_twips, float height_twips) {
  width_ = width_twips;
  height_ = height_twips;
  const int w = pixels_of_twips(width_twips), h = pixels_of_twips(height_twips);
  // The retained drawing survives a resize where it still fits, like a window's persistent image.
  Raster next;
  next.resize(w, h, 0xFF000000u);
  for (int y = 0; y < std::min(h, raster_.height); ++y)
    std::copy_n(raster_.row(y), std::min(w, raster_.width), next.row(y));
  raster_ = std::move(next);
  scale_w_ = static_cast<float>(w * 15);
  scale_h_ = static_cast<float>(h * 15);
}

void Surface::set_scale_width(float v) {
  if (v == 0 || !std::isfinite(v)) throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  scale_w_ = v;
}

void Surface::set_scale_height(float v) {
  if (v == 0 || !std::isfinite(v)) throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  scale_h_ = v;
}

void Surface::line(float x1, float y1, float x2, float y2, OleColor rgb) {
  if (on_line) on_line(x1, y1, x2, y2, rgb);
  const double kx = raster_.width / static_cast<double>(scale_w_);
  const double ky = raster_.height / static_cast<double>(scale_h_);
  const int px1 = to_pixel(x1, kx), py1 = to_pixel(y1, ky);
  const int px2 = to_pixel(x2, kx), py2 = to_pixel(y2, ky);
  const std::uint32_t c = argb_of_rgb(rgb);
  if (py1 == py2) {  // rows: one span, the end point excluded
    if (px1 <= px2)
      raster_.fill_span(py1, px1, px2, c);
    else
      raster_.fill_span(py1, px2 + 1, px1 + 1, c);
    return;
  }
  if (px1 == px2) {  // columns: from the start up to, not including, the end
    if (px1 < 0 || px1 >= raster_.width) return;
    const int step = py2 > py1 ? 1 : -1;
    for (int y = py1; y != py2; y += step)
      if (y >= 0 && y < raster_.height) raster_.row(y)[px1] = c;
    return;
  }
  // Any other direction: a simple DDA, end point excluded.
  const int n = std::max(std::abs(px2 - px1), std::abs(py2 - py1));
  for (int i = 0; i < n; ++i) {
    const int x = px1 + static_cast<int>(std::lround(double(px2 - px1) * i / n));
    const int y = py1 + static_cast<int>(std::lround(double(py2 - py1) * i / n));
    if (x >= 0 && x < raster_.width && y >= 0 && y < raster_.height) raster_.row(y)[x] = c;
  }
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
  if ((v < 0 || v > 15) && v != 99) throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  mouse_pointer_ = v;
}

void Surface::property_changed(std::string_view name) {
  if (on_property_changed) on_property_changed(name);
}

bool Surface::opaque_at(int x, int y) const noexcept {
  if (x < 0 || y < 0 || x >= raster_.width || y >= raster_.height) return false;
  if (!mask_ || mask_->handle == 0) return true;  // no mask yet: the whole window
  if (x >= mask_->width || y >= mask_->height) return false;
  // White mask pixels are cut away.
  return (mask_->pixels[static_cast<std::size_t>(y) * mask_->width + x] & 0xFFFFFFu) != 0xFFFFFFu;
}

}  // namespace brelund::headless
