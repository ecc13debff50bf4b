#include "host/web/src/button.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "brelund/units.h"

namespace brelund::web {

Button::Button(EventFn events, Measure measure, host::Observer* observer)
    : label_(dirty_, std::move(measure)),
      instance_(surface_, label_, pic_, mask_, timer_, platform_, relay_, observer) {
  relay_.target = std::move(events);
}

namespace {
// ARGB pixels as the opaque RGBA bytes of an ImageData: R and B change places. Two pixels at a
// time, as one 64-bit word (the module has 64-bit integers but no vectors): half the steps of a
// pixel at a time, which took half of the instructions a new button cost in the module.
void rgba_of(const Raster& r, std::span<std::uint8_t> out) {
  const std::size_t n = out.size() / 4;
  const std::uint32_t* in = r.pixels.data();
  std::uint8_t* o = out.data();
  constexpr std::uint64_t kGreen = 0x0000FF000000FF00u, kLow = 0x000000FF000000FFu,
                          kAlpha = 0xFF000000FF000000u;
  std::size_t i = 0;
  for (; i + 2 <= n; i += 2) {
    std::uint64_t p;
    std::memcpy(&p, in + i, sizeof p);
    // The page's bytes R, G, B, A in memory order: little-endian words 0xAABBGGRR.
    const std::uint64_t rgba = kAlpha | (p & kGreen) | (p & kLow) << 16 | (p >> 16 & kLow);
    std::memcpy(o + i * 4, &rgba, sizeof rgba);
  }
  if (i < n) {
    const std::uint32_t p = in[i];
    const std::uint32_t rgba = 0xFF000000u | (p & 0xFF00u) | (p & 0xFFu) << 16 | (p >> 16 & 0xFFu);
    std::memcpy(o + i * 4, &rgba, sizeof rgba);
  }
}
}  // namespace

std::span<std::uint8_t> Button::rgba_bytes(std::size_t size) {
  if (size > rgba_capacity_) {
    rgba_.reset(new std::uint8_t[size]);  // not zeroed, unlike make_unique
    rgba_capacity_ = size;
  }
  return {rgba_.get(), size};
}

std::span<const std::uint8_t> Button::face_rgba() {
  const Raster& r = surface_.pixels();
  const std::span<std::uint8_t> rgba =
      rgba_bytes(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height) * 4);
  rgba_of(r, rgba);
  // What the mask cuts away is transparent: the gaps between each row's runs, a row at a time
  // (a pixel-by-pixel lookup costs a search per pixel).
  const MaskRef& mask = surface_.mask_picture();
  if (!mask || mask->handle() == 0) return rgba;
  for (int y = 0; y < r.height; ++y) {
    std::uint8_t* row = rgba.data() + static_cast<std::size_t>(y) * r.width * 4;
    int x = 0;
    const auto cut_to = [&](int end) {
      for (; x < end; ++x) row[x * 4 + 3] = 0;
    };
    for (const MaskShape::Run& run : mask->row(y)) {
      cut_to(std::min(run.left, r.width));
      x = std::max(x, std::min(run.right, r.width));
    }
    cut_to(r.width);
  }
  return rgba;
}

std::span<const std::uint8_t> Button::device_face_rgba() {
  const host::HiresFace& hires = surface_.hires();
  if (!hires.matches(surface_.ratio(), surface_.pixel_width(), surface_.pixel_height())) return {};
  const Raster& r = hires.image();
  const std::span<std::uint8_t> rgba =
      rgba_bytes(static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height) * 4);
  rgba_of(r, rgba);
  return rgba;
}

namespace {

// The runs of a shape, row by row (y rising, runs of a row left to right and apart), as an SVG
// path of `unit`-sized pixels. Rows of the same spans one under the other make one rectangle: a
// rounded button is mostly its middle rows, which then cost one rectangle instead of one per row.
template <class ForEachRun>
std::string path_of_runs(ForEachRun&& for_each_run, double unit) {
  // Written with to_chars, never a string stream: streams bring the locale machinery into the
  // page's module, a third of its size.
  std::string path;
  const auto put = [&path, unit](char command, int pixels) {
    // Device pixels as CSS pixels, to four decimals (a ratio's fractions need no more).
    const long long scaled = std::llround(pixels / unit * 10000);
    const long long whole = scaled / 10000, part = std::llabs(scaled % 10000);
    char digits[24];
    path += command;
    if (scaled < 0 && whole == 0) path += '-';
    path.append(digits, std::to_chars(digits, digits + sizeof digits, whole).ptr);
    if (part == 0) return;
    char fraction[5] = {
        static_cast<char>('0' + part / 1000), static_cast<char>('0' + part / 100 % 10),
        static_cast<char>('0' + part / 10 % 10), static_cast<char>('0' + part % 10)};
    int n = 4;
    while (fraction[n - 1] == '0') --n;
    path += '.';
    path.append(fraction, static_cast<std::size_t>(n));
  };
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
  for_each_run([&](int y, int x0, int x1) {
    if (y != current) {
      if (current >= 0) flush_row(current);
      current = y;
    }
    row.emplace_back(x0, x1);
  });
  if (current >= 0) flush_row(current);
  for (const Span& s : open) close(s, last_y + 1);
  // A mask that keeps nothing: a path with no area, so that nothing of the element is hit.
  return path.empty() ? "M0 0Z" : path;
}

}  // namespace

namespace {

// The shape as a path: the mask's `runs` (y, left, right, clipped to the size) in CSS pixels,
// or, with `regions` at a device `ratio`, the regions the mask was filled with, drawn again at
// the device's resolution: the corners step in device pixels, as the face does.
std::string path_of(const std::vector<int>& runs, const std::vector<shape::Region>* regions,
                    double ratio, int width, int height) {
  if (!regions) {
    return path_of_runs(
        [&](auto&& fn) {
          for (std::size_t i = 0; i + 2 < runs.size(); i += 3)
            if (runs[i + 1] < runs[i + 2]) fn(runs[i], runs[i + 1], runs[i + 2]);
        },
        1);
  }
  const int dw = static_cast<int>(std::lround(width * ratio));
  const int dh = static_cast<int>(std::lround(height * ratio));
  std::vector<std::vector<std::pair<int, int>>> spans(static_cast<std::size_t>(std::max(dh, 0)));
  for (const shape::Region& r : *regions)
    shape::for_each_span(shape::scaled(r, ratio), [&](int y, int l, int rr) {
      l = std::max(l, 0);
      rr = std::min(rr, dw);
      if (y >= 0 && y < dh && l < rr) spans[static_cast<std::size_t>(y)].emplace_back(l, rr);
    });
  return path_of_runs(
      [&](auto&& fn) {
        for (std::size_t y = 0; y < spans.size(); ++y) {
          auto& row = spans[y];
          std::sort(row.begin(), row.end());
          // Overlapping regions are one run.
          for (std::size_t i = 0; i < row.size();) {
            int l = row[i].first, r = row[i].second;
            for (++i; i < row.size() && row[i].first <= r; ++i) r = std::max(r, row[i].second);
            fn(static_cast<int>(y), l, r);
          }
        }
      },
      ratio);
}

// The last shape made and what it was made from: alike buttons (most of a page's) share it, and
// comparing the runs costs a fraction of writing the path again.
struct ShapeMemo {
  std::vector<int> runs;
  std::vector<shape::Region> regions;
  double ratio = 0;  // 0: cut in CSS pixels
  int width = -1, height = -1;
  std::string path;
};
ShapeMemo& shape_memo() {
  static ShapeMemo memo;
  return memo;
}

}  // namespace

std::string Button::shape_path(double ratio) const {
  const MaskRef& mask = surface_.mask_picture();
  if (!mask || mask->handle() == 0) return {};
  // The shape needs the size only, not the face.
  const int width = surface_.pixel_width(), height = surface_.pixel_height();
  bool cut = false;
  int rows = 0;
  std::vector<int> runs;
  mask->for_each_run([&](int y, int x0, int x1) {
    if (y >= height) return;
    ++rows;
    if (x0 != 0 || std::min(x1, width) != width) cut = true;
    runs.push_back(y);
    runs.push_back(x0);
    runs.push_back(std::min(x1, width));
  });
  // Rows the mask leaves out entirely are cut too.
  if (!cut && rows == height) return {};
  const std::vector<shape::Region>* regions = mask_.regions_of(mask);
  if (!(ratio > 1 && regions && !regions->empty() && ratio < 16)) {
    regions = nullptr;
    ratio = 0;
  }
  ShapeMemo& memo = shape_memo();
  // Without regions the ratio is 0, which no memo with regions has.
  if (memo.width != width || memo.height != height || memo.ratio != ratio || memo.runs != runs ||
      (regions && memo.regions != *regions)) {
    memo.path = path_of(runs, regions, ratio, width, height);
    memo.runs = std::move(runs);
    memo.regions = regions ? *regions : std::vector<shape::Region>{};
    memo.ratio = ratio;
    memo.width = width;
    memo.height = height;
  }
  return memo.path;
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
