// The hidden mask canvas of hosts without a graphics system of their own: a persistent image in
// memory, white where the control is cut away, filled with the shared round-rectangle rasterizer.
// The image is kept as its opaque runs (brelund/mask.h); every value handed out stays as it was.
#pragma once

#include <cstddef>
#include <optional>

#include "brelund/host.h"
#include "brelund/mask.h"
#include "shape/region.h"

namespace brelund {

class MaskImage final : public host::MaskCanvas {
 public:
  void set_width(float twips) override;
  void set_height(float twips) override;
  void clear() override;
  void fill_black(const shape::Region& region) override;
  MaskRef image() override;
  // Takes `mask` as the image, as if this canvas had drawn it: a mask of the size the canvas
  // has now, with no clear pending that it does not already show.
  void adopt(MaskRef mask);
  // Bytes this canvas keeps: the runs of its image.
  std::size_t bytes_held() const noexcept { return image_->bytes(); }

 private:
  // A new size is only noted: a rebuild sets the width, then the height, then clears, and
  // reshaping at each of those steps made two images only for the clear to throw them away.
  // The image takes its size when it is next drawn on or handed out.
  void note_size();
  void reshape();
  float width_ = 0, height_ = 0;
  // While a size waits: the smallest width and height the box had since the image last took
  // its size. Resizing step by step would have lost the content outside them (and, through an
  // empty box, all of it), so the reshape loses it too.
  bool size_pending_ = false;
  int kept_width_ = 0, kept_height_ = 0;
  MaskRef image_ = MaskShape::blank(0, 0);
  // A clear is applied lazily: a fill after it makes the image of its region alone.
  bool clear_pending_ = false;
  // The region the image was made of, when all it got since it took its size was a clear and
  // that one fill. Most rebuilds (a new caption, colour or picture) draw the shape the image
  // already shows, and then keep the image itself.
  std::optional<shape::Region> image_shape_;
  // Once it has had an image, a canvas whose box went empty makes its next one anew (a value of
  // its own), where a first image may be one that other canvases of its shape share.
  bool had_image_ = false;
  bool fresh_ = false;
};

}  // namespace brelund
