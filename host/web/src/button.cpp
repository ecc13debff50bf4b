#include "host/web/src/button.h"

#include <algorithm>
#include <charconv>

#include "brelund/units.h"

namespace brelund::web {

Button::Button(EventFn events, Measure measure, host::Observer* observer)
    : label_(dirty_, std::move(measure)),
      instance_(surface_, label_, pic_, mask_, timer_, platform_, relay_, observer) {
  relay_.target = std::move(events);
}

const std::vector<std::uint8_t>& Button::face_rgba() {
  const Raster& r = surface_.pixels();
  rgba_.resize(static_cast<std::size_t>(r.width) * r.height * 4);
  std::uint8_t* out = rgba_.data();
  for (int y = 0; y < r.height; ++y) {
    const std::uint32_t* row = r.row(y);
    for (int x = 0; x < r.width; ++x, out += 4) {
      const std::uint32_t p = row[x];
      out[0] = static_cast<std::uint8_t>(p >> 16);
      out[1] = static_cast<std::uint8_t>(p >> 8);
      out[2] = static_cast<std::uint8_t>(p);
      out[3] = surface_.opaque_at(x, y) ? 255 : 0;
    }
  }
  return rgba_;
}

std::string Button::shape_path() const {
  const MaskRef& mask = surface_.mask_picture();
  if (!mask || mask->handle() == 0) return {};
  // The shape needs the size only, not the face.
  const int width = surface_.pixel_width(), height = surface_.pixel_height();
  // Written with to_chars: a string stream would bring the locale machinery into the page's
  // module, a third of its size.
  std::string path;
  const auto put = [&path](char command, int n) {
    char digits[12];
    path += command;
    path.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
  };
  bool cut = false;
  // Rows of the same spans one under the other make one rectangle: a rounded button is mostly
  // its middle rows, which then cost one rectangle instead of one per row.
  struct Span {
    int y0, x0, x1;
  };
  std::vector<Span> open, next;
  int last_y = -1;
  auto close = [&](const Span& s, int y_end) {
    put('M', s.x0);
    put(' ', s.y0);
    put('H', s.x1);
    put('V', y_end);
    put('H', s.x0);
    path += 'Z';
  };
  std::vector<std::pair<int, int>> row;
  auto flush_row = [&](int y) {
    if (last_y != y - 1) {
      for (const Span& s : open) close(s, last_y + 1);
      open.clear();
    }
    next.clear();
    std::size_t i = 0;
    for (const auto& [x0, x1] : row) {
      while (i < open.size() && open[i].x0 < x0) close(open[i++], y);
      if (i < open.size() && open[i].x0 == x0 && open[i].x1 == x1 && last_y == y - 1)
        next.push_back(open[i++]);
      else
        next.push_back({y, x0, x1});
    }
    for (; i < open.size(); ++i) close(open[i], last_y + 1);
    open.swap(next);
    row.clear();
    last_y = y;
  };
  int current = -1;
  mask->for_each_run([&](int y, int x0, int x1) {
    if (y >= height) return;
    x1 = std::min(x1, width);
    if (x0 >= x1) return;
    if (x0 != 0 || x1 != width) cut = true;
    if (y != current) {
      if (current >= 0) flush_row(current);
      current = y;
    }
    row.emplace_back(x0, x1);
  });
  if (current >= 0) flush_row(current);
  for (const Span& s : open) close(s, last_y + 1);
  // Rows the mask leaves out entirely are cut too.
  if (!cut) {
    int rows = 0;
    mask->for_each_run([&](int y, int, int) { rows += y < height; });
    if (rows == height) return {};
  }
  // A mask that keeps nothing: a path with no area, so that nothing of the element is hit.
  return path.empty() ? "M0 0Z" : path;
}

Raster Button::compose_without_caption() {
  Raster out = surface_.pixels();
  if (pic_.visible() != 0) {
    if (const PictureRef p = pic_.picture(); p && p->handle != 0)
      blend(out, p->pixels.data(), p->width, p->height, units::position_pixels(pic_.left()),
            units::position_pixels(pic_.top()));
  }
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      if (!surface_.opaque_at(x, y)) out.row(y)[x] = 0;
  return out;
}

}  // namespace brelund::web
