// The hidden mask canvas of hosts without a graphics system of their own: a persistent image in
// memory, white where the control is cut away, filled with the shared round-rectangle rasterizer.
#pragma once

#include <memory>
#include <optional>

#include "brelund/host.h"
#include "brelund/raster.h"
#include "shape/region.h"

namespace brelund {

class MaskImage final : public host::MaskCanvas {
 public:
  void set_width(float twips) override;
  void set_height(float twips) override;
  void clear() override;
  void fill_black(const shape::Region& region) override;
  PictureRef image() override;
  // Where the surface keeps the mask picture it shows. When the surface is the only other holder
  // of the image, the next rebuild draws over it in place: nothing can look at the surface until
  // the rebuild hands it the image again, so no second buffer is needed. A picture anyone else
  // still holds is never drawn over.
  void shown_through(const PictureRef* surface_mask) noexcept { shown_ = surface_mask; }
  // Takes `picture` as the image, as if this canvas had drawn it: a picture of the size the
  // canvas has now, with no clear pending that it does not already show. It is shared, not
  // copied: like any picture held elsewhere, it is never drawn over while another holds it.
  void adopt(const PictureRef& picture);
  // Pixel bytes this canvas keeps: the image and, once a rebuild has needed it, the second buffer.
  std::size_t bytes_held() const noexcept;

 private:
  // The persistent image is handed out as the mask picture itself, without a copy. While the
  // surface still holds the last one, drawing goes to a second buffer, so a rebuild allocates
  // nothing once both exist.
  Picture& writable(bool keep_content);
  void flush_clear();
  // A new size is only noted: a rebuild sets the width, then the height, then clears, and
  // reshaping the image at each of those steps allocated and copied content twice only for the
  // clear to throw it away. The image takes its size when it is next drawn on or handed out.
  void note_size();
  void reshape();
  float width_ = 0, height_ = 0;
  // While a size waits: the smallest width and height the box had since the image last took
  // its size. Resizing step by step would have lost the content outside them (and, through an
  // empty box, the picture object itself), so the reshape loses it too.
  bool size_pending_ = false;
  int kept_width_ = 0, kept_height_ = 0;
  std::shared_ptr<Picture> image_ = std::make_shared<Picture>();
  std::shared_ptr<Picture> spare_;
  // A clear is applied lazily: the next fill writes white and black in one pass over the rows.
  bool clear_pending_ = false;
  // The shape each buffer holds when all it got since its last resize was a clear and one fill.
  // Most rebuilds (a new caption, colour or picture) draw the shape the buffer already shows; a
  // clear and fill of that shape would write every pixel over with the value it has.
  std::optional<shape::Region> image_shape_, spare_shape_;
  const PictureRef* shown_ = nullptr;
};

}  // namespace brelund
