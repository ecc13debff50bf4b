#include "host/common/mask_image.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "brelund/units.h"
#include "shape/region.h"

namespace brelund {

namespace {

// The image of `region` alone on an image of w x h. A form's buttons come in a few shapes and
// sizes, and building the same image for each of them was a tenth of opening a form; images do
// not change once built, so the buttons of one shape share one. The few made last are remembered
// per thread, so that no lock is taken, and only weakly: an image no button holds any more is
// freed, not kept for a button that may never come.
MaskRef region_image(const shape::Region& region, int w, int h, bool fresh) {
  struct Made {
    shape::Region region;
    int width, height;
    std::weak_ptr<const MaskShape> image;
  };
  constexpr std::size_t kKept = 32;
  thread_local std::vector<Made> made;
  const auto same = [&](const Made& m) {
    return m.width == w && m.height == h && m.region == region;
  };
  const auto found = std::find_if(made.begin(), made.end(), same);
  if (found != made.end() && !fresh)
    if (MaskRef image = found->image.lock()) return image;
  MaskShape::Builder b(w, h);
  shape::for_each_span(region, [&](int y, int l, int r) { b.add(y, l, r); });
  MaskRef image = b.build();
  if (found != made.end()) made.erase(found);
  if (made.size() == kKept) made.erase(made.begin());
  made.push_back({region, w, h, image});
  return image;
}

}  // namespace

void MaskImage::set_width(float twips) {
  width_ = twips;
  note_size();
}

void MaskImage::set_height(float twips) {
  height_ = twips;
  note_size();
}

void MaskImage::note_size() {
  if (!size_pending_) {
    size_pending_ = true;
    kept_width_ = image_->width();
    kept_height_ = image_->height();
  }
  kept_width_ = std::min(kept_width_, units::extent_pixels(width_));
  kept_height_ = std::min(kept_height_, units::extent_pixels(height_));
}

void MaskImage::reshape() {
  if (!size_pending_) return;
  size_pending_ = false;
  const int w = units::extent_pixels(width_), h = units::extent_pixels(height_);
  // Back at the image's own size with nothing lost on the way: the image stays as it is.
  if (w == image_->width() && h == image_->height() && kept_width_ == w && kept_height_ == h)
    return;
  image_shape_.reset();
  // Under a pending clear, or through an empty box, nothing of the old image stays.
  if (clear_pending_ || kept_width_ <= 0 || kept_height_ <= 0 || image_->empty()) {
    // Back from an empty box, the image is a value of its own, never one it had before.
    if (had_image_ && (kept_width_ <= 0 || kept_height_ <= 0)) fresh_ = true;
    clear_pending_ = false;
    image_ = MaskShape::blank(w, h);
    return;
  }
  // The persistent image keeps its content where the box still covers it; fresh area is white.
  MaskShape::Builder b(w, h);
  for (int y = 0; y < std::min(kept_height_, image_->height()); ++y)
    for (const MaskShape::Run& r : image_->row(y)) b.add(y, r.left, std::min(r.right, kept_width_));
  image_ = b.build();
}

void MaskImage::clear() { clear_pending_ = true; }

void MaskImage::fill_black(const shape::Region& region) {
  reshape();
  const int w = image_->width(), h = image_->height();
  // On a cleared (or still blank) image the fill makes the image of the region alone.
  if (clear_pending_ || image_->empty()) {
    clear_pending_ = false;
    if (image_shape_ == region) return;  // the image is this very region already
    image_ = region_image(region, w, h, fresh_);
    fresh_ = false;
    had_image_ = had_image_ || !image_->empty();
    image_shape_ = region;
    return;
  }
  // Painted over what is there: the union of both.
  MaskShape::Builder b(w, h);
  b.add(*image_);
  shape::for_each_span(region, [&](int y, int l, int r) { b.add(y, l, r); });
  MaskRef next = b.build();
  image_shape_.reset();
  if (*next == *image_) return;  // nothing new: the value handed out stays the image
  image_ = std::move(next);
  had_image_ = true;
}

void MaskImage::adopt(MaskRef mask) {
  image_ = mask ? std::move(mask) : MaskShape::blank(0, 0);
  had_image_ = had_image_ || !image_->empty();
  image_shape_.reset();  // drawn elsewhere, from shapes this canvas does not keep
  size_pending_ = false;
  clear_pending_ = false;
}

MaskRef MaskImage::image() {
  reshape();
  if (clear_pending_) {
    clear_pending_ = false;
    image_shape_.reset();
    if (!image_->empty()) image_ = MaskShape::blank(image_->width(), image_->height());
  }
  return image_;
}

}  // namespace brelund
