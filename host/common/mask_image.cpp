#include "host/common/mask_image.h"
#include "brelund/units.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "control/numeric.h"
#include "host/common/whole_fill.h"
#include "shape/region.h"

namespace brelund {

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;

// A few white pixels beside a span. A plain loop here is turned into a string store, which costs
// far more to start than these runs take; overlapping stores of two or four pixels do not.
void short_white(std::uint32_t* at, int count) noexcept {
  constexpr std::uint64_t kTwo = 0xFFFFFFFFFFFFFFFFu;
  if (count >= 4) {
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(-1);
    int i = 0;
    for (; i + 4 <= count; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(at + i), v);
    if (i < count) _mm_storeu_si128(reinterpret_cast<__m128i*>(at + count - 4), v);
#else
    for (int i = 0; i + 2 <= count; i += 2) std::memcpy(at + i, &kTwo, sizeof kTwo);
    std::memcpy(at + count - 2, &kTwo, sizeof kTwo);
#endif
  } else if (count >= 2) {
    std::memcpy(at, &kTwo, sizeof kTwo);
    std::memcpy(at + count - 2, &kTwo, sizeof kTwo);
  } else if (count == 1) {
    *at = kWhite;
  }
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
    kept_width_ = image_->width;
    kept_height_ = image_->height;
  }
  kept_width_ = std::min(kept_width_, units::extent_pixels(width_));
  kept_height_ = std::min(kept_height_, units::extent_pixels(height_));
}

Picture& MaskImage::writable(bool keep_content) {
  const bool only_shown = image_.use_count() == 2 && shown_ && shown_->get() == image_.get();
  if (image_.use_count() > 1 && !only_shown) {
    std::shared_ptr<Picture> next;
    std::optional<shape::Region> next_shape;
    if (spare_ && spare_.use_count() == 1) {
      next = std::move(spare_);
      next_shape = spare_shape_;
    } else {
      next = std::make_shared<Picture>();
    }
    // Without the content only the size matters; the caller writes every pixel.
    if (keep_content) {
      next->pixels = image_->pixels;
      next_shape = image_shape_;
    } else if (next->width != image_->width || next->height != image_->height) {
      next->pixels.resize(image_->pixels.size());
      next_shape.reset();
    }
    next->width = image_->width;
    next->height = image_->height;
    // Each buffer is a picture of its own, with its own handle.
    next->handle = image_->handle == 0 ? 0 : next->handle ? next->handle : new_picture_handle();
    spare_ = std::move(image_);
    spare_shape_ = image_shape_;
    image_ = std::move(next);
    image_shape_ = next_shape;
  }
  return *image_;
}

void MaskImage::reshape() {
  if (!size_pending_) return;
  size_pending_ = false;
  const int w = units::extent_pixels(width_), h = units::extent_pixels(height_);
  const int kept_w = kept_width_, kept_h = kept_height_;
  // Back at the image's own size with nothing lost on the way: the image stays as it is.
  if (w == image_->width && h == image_->height && kept_w == w && kept_h == h) return;
  // Through an empty box the picture object went away: what comes back is a new one, all white.
  const bool emptied = kept_w <= 0 || kept_h <= 0;
  // The persistent image keeps its content where the box still covers it; fresh area is white,
  // and so is everything under a pending clear. The new buffer is written white whole, at once:
  // it is fresh from the allocator and, with many buttons, not in cache, and a string store
  // writes it without reading it in (whole_fill.h). The rebuild's fill that follows then works
  // in cache; writing the white only as part of that fill, as a pending clear, took longer, as
  // every line was read in first.
  const bool keeps = !emptied && !clear_pending_;
  Pixels next(num::area(static_cast<std::size_t>(w), static_cast<std::size_t>(h)));
  fill_whole(next.data(), next.size(), kWhite);
  if (keeps)
    for (int y = 0; y < kept_h; ++y)
      std::copy_n(image_->pixels.data() + static_cast<std::size_t>(y) * image_->width, kept_w,
                  next.data() + static_cast<std::size_t>(y) * w);
  Picture& p = writable(false);
  p.pixels = std::move(next);
  p.width = w;
  p.height = h;
  if (emptied) p.handle = 0;
  p.handle = w > 0 && h > 0 ? (p.handle ? p.handle : new_picture_handle()) : 0;
  image_shape_.reset();
  // Whatever clear was pending, the image is cleared or kept now.
  clear_pending_ = false;
}

void MaskImage::clear() { clear_pending_ = true; }

void MaskImage::flush_clear() {
  reshape();
  if (!clear_pending_) return;
  clear_pending_ = false;
  Picture& p = writable(false);
  fill_pixels(p.pixels.data(), p.pixels.size(), kWhite);
  image_shape_.reset();
}

void MaskImage::fill_black(const shape::Region& region) {
  reshape();
  Picture& p = writable(!clear_pending_);
  const int w = p.width, h = p.height;
  auto row = [&](int y) { return p.pixels.data() + static_cast<std::size_t>(y) * w; };
  auto paint = [&](int y, int l, int r) {
    l = std::clamp(l, 0, w);
    r = std::clamp(r, 0, w);
    if (l < r) fill_pixels(row(y) + l, static_cast<std::size_t>(r - l), kBlack);
  };
  if (!clear_pending_) {
    image_shape_.reset();
    shape::for_each_span(region, [&](int y, int l, int r) {
      if (y >= 0 && y < h) paint(y, l, r);
    });
    return;
  }
  clear_pending_ = false;
  if (image_shape_ == region) return;  // the buffer holds these very pixels
  image_shape_ = region;
  // Clear and fill in one pass: rows arrive top to bottom, one span each, for the shapes we
  // draw. Each row is written once while it is in cache: the black span in one wide fill, the
  // few white pixels beside it (corners, last column) in plain stores, as a call into the wide
  // fill costs more than such short pieces.
  std::uint32_t* const pixels = p.pixels.data();
  const std::size_t stride = static_cast<std::size_t>(w);
  auto white = [](std::uint32_t* at, int count) {
    if (count > 32)
      fill_pixels(at, static_cast<std::size_t>(count), kWhite);
    else
      short_white(at, count);
  };
  // Rows with the same span one after another (the straight sides between the corners) are
  // one block in memory: one black fill over all of them, then the few white pixels of each.
  struct Block {
    int y = 0, rows = 0, cl = 0, cr = 0;
  } block;
  auto write_block = [&] {
    if (block.rows == 0) return;
    std::uint32_t* const at = pixels + static_cast<std::size_t>(block.y) * stride;
    const int right_white = w - block.cr;
    if (block.rows == 1 || block.cl > 32 || right_white > 32) {
      for (int k = 0; k < block.rows; ++k) {
        std::uint32_t* const row = at + k * stride;
        white(row, block.cl);
        fill_pixels(row + block.cl, static_cast<std::size_t>(block.cr - block.cl), kBlack);
        white(row + block.cr, right_white);
      }
    } else {
      fill_pixels(at, static_cast<std::size_t>(block.rows) * stride, kBlack);
      for (int k = 0; k < block.rows; ++k) {
        short_white(at + k * stride, block.cl);
        short_white(at + k * stride + block.cr, right_white);
      }
    }
    block.rows = 0;
  };
  int next = 0;
  shape::for_each_span(region, [&](int y, int l, int r) {
    if (y < 0 || y >= h) return;
    if (y < next) {  // a second span on a row: already cleared, just paint it
      write_block();
      paint(y, l, r);
      return;
    }
    const int cl = std::clamp(l, 0, w), cr = std::clamp(r, cl, w);
    if (y == next && block.rows > 0 && cl == block.cl && cr == block.cr) {
      ++block.rows;
      next = y + 1;
      return;
    }
    write_block();
    for (; next < y; ++next) white(pixels + next * stride, w);
    block = {y, 1, cl, cr};
    next = y + 1;
  });
  write_block();
  for (; next < h; ++next) white(pixels + next * stride, w);
}

void MaskImage::adopt(const PictureRef& picture) {
  // writable() copies any image that someone besides the canvas (and the surface it shows
  // through) holds, so the const picture is never written while it is shared.
  image_ = std::const_pointer_cast<Picture>(picture);
  image_shape_.reset();  // drawn elsewhere, from shapes this canvas does not keep
  size_pending_ = false;
  clear_pending_ = false;
}

std::size_t MaskImage::bytes_held() const noexcept {
  std::size_t n = image_->pixels.capacity() * sizeof(std::uint32_t);
  if (spare_ && spare_ != image_) n += spare_->pixels.capacity() * sizeof(std::uint32_t);
  return n;
}

PictureRef MaskImage::image() {
  flush_clear();
  return image_;
}

}  // namespace brelund
