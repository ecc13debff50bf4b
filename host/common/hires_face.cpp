#include "host/common/hires_face.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace brelund::host {

namespace {
// The same mapping as the logical canvas: the device pixel whose cell holds the coordinate.
int to_pixel(double units, int pixels, double scale) {
  const double p = std::clamp(units * pixels / scale, -1e6, 1e6);
  if (!(p == p)) return -1;
  return static_cast<int>(std::floor(p));
}
}  // namespace

int device_pixels(int logical, double ratio) noexcept {
  return static_cast<int>(std::lround(logical * ratio));
}

bool HiresFace::matches(double ratio, int logical_width, int logical_height) const noexcept {
  return active() && ratio == ratio_ && logical_width == logical_w_ && logical_height == logical_h_;
}

void HiresFace::fill(int x0, int y0, int x1, int y1, std::uint32_t argb) noexcept {
  x0 = std::max(x0, 0);
  x1 = std::min(x1, image_.width);
  for (int y = std::max(y0, 0); y < std::min(y1, image_.height); ++y)
    image_.fill_span(y, x0, x1, argb);
}

void HiresFace::line(double ratio, int logical_width, int logical_height, float x1, float y1,
                     float x2, float y2, OleColor rgb, float scale_width, float scale_height) {
  if (ratio <= 1) {
    if (active()) image_ = {};
    return;
  }
  if (!matches(ratio, logical_width, logical_height)) {
    ratio_ = ratio;
    logical_w_ = logical_width;
    logical_h_ = logical_height;
    thickness_ = std::max(1, static_cast<int>(std::lround(ratio)));
    image_.resize(device_pixels(logical_width, ratio), device_pixels(logical_height, ratio),
                  0xFF000000u);
  }
  if (!active()) return;
  const int w = image_.width, h = image_.height, t = thickness_;
  const int px1 = to_pixel(x1, w, scale_width), py1 = to_pixel(y1, h, scale_height);
  const int px2 = to_pixel(x2, w, scale_width), py2 = to_pixel(y2, h, scale_height);
  const std::uint32_t c = argb_of_rgb(rgb);
  if (py1 == py2) {  // a row, one logical pixel thick
    fill(px1 <= px2 ? px1 : px2 + 1, py1, px1 <= px2 ? px2 : px1 + 1, py1 + t, c);
    return;
  }
  if (px1 == px2) {  // a column
    fill(px1, py1 < py2 ? py1 : py2 + 1, px1 + t, py1 < py2 ? py2 : py1 + 1, c);
    return;
  }
  const int n = std::max(std::abs(px2 - px1), std::abs(py2 - py1));
  for (int i = 0; i < n; ++i) {
    const int x = px1 + static_cast<int>(std::lround(double(px2 - px1) * i / n));
    const int y = py1 + static_cast<int>(std::lround(double(py2 - py1) * i / n));
    fill(x, y, x + t, y + t, c);
  }
}

void HiresFace::rows(double ratio, int logical_width, int logical_height, const Surface::Row* rows,
                     int count, float scale_width, float scale_height) {
  // At a ratio of 1 a batch stays one call of the surface's, with nothing to do here.
  if (ratio <= 1 && !active()) return;
  for (int i = 0; i < count; ++i)
    for (std::int32_t j = 0; j < rows[i].count; ++j)
      line(ratio, logical_width, logical_height, 0, rows[i].y_at(j), 1, rows[i].y_at(j),
           rows[i].rgb, scale_width, scale_height);
}

}  // namespace brelund::host
