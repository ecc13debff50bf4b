#include <algorithm>
#include <tuple>

#include "brelund/mask.h"
#include "brelund/units.h"
#include "control/numeric.h"

namespace brelund {

MaskShape::MaskShape(int width, int height) noexcept
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      handle_(width_ > 0 && height_ > 0 ? new_picture_handle() : 0) {}

MaskShape::Builder::Builder(int width, int height) noexcept
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {}

void MaskShape::Builder::add(int y, int left, int right) {
  if (y < 0 || y >= height_) return;
  left = std::max(left, 0);
  right = std::min(right, width_);
  if (left >= right) return;
  if (!spans_.empty()) {
    const Span& last = spans_.back();
    if (y < last.y || (y == last.y && left <= last.right)) ordered_ = false;
  }
  spans_.push_back({y, left, right});
}

void MaskShape::Builder::add(const MaskShape& mask) {
  mask.for_each_run([&](int y, int from, int to) { add(y, from, to); });
}

MaskRef MaskShape::Builder::build() {
  // Not make_shared: the constructor is the builder's alone.
  std::shared_ptr<MaskShape> mask(new MaskShape(width_, height_));
  if (spans_.empty()) return mask;
  if (!ordered_)
    std::sort(spans_.begin(), spans_.end(), [](const Span& a, const Span& b) {
      return std::tie(a.y, a.left) < std::tie(b.y, b.left);
    });
  // Counts per row first, at starts[y + 1]; summed into the starts after.
  std::vector<std::uint32_t> starts(static_cast<std::size_t>(height_) + 1, 0);
  std::vector<Run>& runs = mask->runs_;
  runs.reserve(spans_.size());
  int last_y = -1;
  for (const Span& s : spans_) {
    if (s.y == last_y && s.left <= runs.back().right) {
      runs.back().right = std::max(runs.back().right, s.right);
      continue;
    }
    runs.push_back({s.left, s.right});
    ++starts[static_cast<std::size_t>(s.y) + 1];
    last_y = s.y;
  }
  for (std::size_t y = 1; y < starts.size(); ++y) starts[y] += starts[y - 1];
  mask->starts_ = std::move(starts);
  spans_.clear();
  ordered_ = true;
  return mask;
}

MaskRef MaskShape::blank(int width, int height) { return Builder(width, height).build(); }

namespace {
// The opaque runs of `rows` rows of `width` pixels each.
void add_pixels(MaskShape::Builder& b, int width, int rows, const std::uint32_t* pixels) {
  for (int y = 0; y < rows; ++y) {
    const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * width;
    int x = 0;
    while (x < width) {
      while (x < width && !units::mask_opaque(row[x])) ++x;
      const int from = x;
      while (x < width && units::mask_opaque(row[x])) ++x;
      if (x > from) b.add(y, from, x);
    }
  }
}
}  // namespace

MaskRef MaskShape::of_pixels(int width, int height, const std::uint32_t* pixels) {
  Builder b(width, height);
  if (pixels && width > 0) add_pixels(b, width, height, pixels);
  return b.build();
}

MaskRef MaskShape::of_picture(const Picture& picture) {
  // Pixels that fall short of the picture's size (none, when it holds no image) are read as far
  // as they make whole rows: the rest is cut away.
  Builder b(picture.width, picture.height);
  if (picture.width > 0 && picture.height > 0) {
    const std::size_t whole_rows = picture.pixels.size() / static_cast<std::size_t>(picture.width);
    add_pixels(b, picture.width,
               static_cast<int>(std::min<std::size_t>(whole_rows, picture.height)),
               picture.pixels.data());
  }
  return b.build();
}

std::span<const MaskShape::Run> MaskShape::row(int y) const noexcept {
  if (runs_.empty() || y < 0 || y >= height_) return {};
  const auto at = static_cast<std::size_t>(y);
  return {runs_.data() + starts_[at], runs_.data() + starts_[at + 1]};
}

bool MaskShape::opaque_at(int x, int y) const noexcept {
  if (x < 0 || x >= width_) return false;
  const std::span<const Run> runs = row(y);
  // The last run that starts at or before x is the only one that can hold it.
  auto it =
      std::upper_bound(runs.begin(), runs.end(), x, [](int v, const Run& r) { return v < r.left; });
  return it != runs.begin() && x < std::prev(it)->right;
}

long long MaskShape::area() const noexcept {
  long long n = 0;
  for (const Run& r : runs_) n += r.right - r.left;
  return n;
}

PictureRef MaskShape::picture() const {
  auto p = std::make_shared<Picture>();
  p->width = width_;
  p->height = height_;
  if (handle_ == 0) return p;
  p->handle = handle_;
  const auto w = static_cast<std::size_t>(width_);
  p->pixels.resize(num::area(w, static_cast<std::size_t>(height_)));
  std::fill(p->pixels.begin(), p->pixels.end(), 0xFFFFFFFFu);
  for_each_run([&](int y, int from, int to) {
    std::uint32_t* row = p->pixels.data() + static_cast<std::size_t>(y) * w;
    std::fill(row + from, row + to, 0xFF000000u);
  });
  return p;
}

std::size_t MaskShape::bytes() const noexcept {
  return sizeof(MaskShape) + starts_.capacity() * sizeof(std::uint32_t) +
         runs_.capacity() * sizeof(Run);
}

}  // namespace brelund
