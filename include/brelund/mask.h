// The mask picture as the control's hosts keep it: a two-colour image held as its opaque runs,
// row by row, instead of a 32-bit pixel per pixel. Every host turns the mask into a window shape
// made of runs anyway, and a rounded button is one run a row, so the runs take a few hundred bytes
// where the pixels took as many as the face. A 32-bit black-on-white picture of it is made only
// for whoever asks for one. A value never changes once made: it is shared, not copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "brelund/values.h"

namespace brelund {

class MaskShape;
using MaskRef = std::shared_ptr<const MaskShape>;

class MaskShape {
 public:
  // Opaque pixels [left, right) of one row.
  struct Run {
    int left = 0, right = 0;
    friend bool operator==(const Run&, const Run&) = default;
  };

  // Collects opaque pixels in any order, overlapping or touching, and makes the mask of them:
  // each row's runs in order, merged where they meet, cut to the box.
  class Builder {
   public:
    // A box of no pixels on either axis holds no image, yet keeps the extent it was given, as
    // an emptied picture box does; negative sizes count as none.
    Builder(int width, int height) noexcept;
    void add(int y, int left, int right);
    void add(const MaskShape& mask);
    MaskRef build();

   private:
    struct Span {
      int y, left, right;
    };
    int width_, height_;
    std::vector<Span> spans_;
    // Spans so far came top to bottom, left to right, apart: nothing to sort or merge.
    bool ordered_ = true;
  };

  // Every pixel cut away (white), at width x height.
  static MaskRef blank(int width, int height);
  // Opaque where a pixel is not white, as a black-on-white picture is read.
  static MaskRef of_pixels(int width, int height, const std::uint32_t* pixels);
  static MaskRef of_picture(const Picture& picture);

  int width() const noexcept { return width_; }
  int height() const noexcept { return height_; }
  // Non-zero when the mask holds an image (a box of some pixels), as a picture's handle is; a
  // value of its own: no two values made apart share one.
  std::uint32_t handle() const noexcept { return handle_; }
  bool empty() const noexcept { return runs_.empty(); }
  // The runs of row y, left to right, none touching the next; none outside the box.
  std::span<const Run> row(int y) const noexcept;
  bool opaque_at(int x, int y) const noexcept;
  // Calls fn(y, from, to) for every run, top to bottom, left to right.
  template <class Fn>
  void for_each_run(Fn&& fn) const {
    if (runs_.empty()) return;
    for (int y = 0; y < height_; ++y)
      for (const Run& r : row(y)) fn(y, r.left, r.right);
  }
  // The number of opaque pixels.
  long long area() const noexcept;
  // The black-on-white 32-bit picture of the mask, with its handle; made anew at every call and
  // not kept. A mask of no pixels gives a picture that holds no image.
  PictureRef picture() const;
  // Bytes this value keeps, itself included.
  std::size_t bytes() const noexcept;

  // The same pixels at the same size; the handle, which tells values apart, is not compared.
  friend bool operator==(const MaskShape& a, const MaskShape& b) noexcept {
    return a.width_ == b.width_ && a.height_ == b.height_ && a.starts_ == b.starts_ &&
           a.runs_ == b.runs_;
  }

 private:
  MaskShape(int width, int height) noexcept;
  int width_ = 0, height_ = 0;
  std::uint32_t handle_ = 0;
  // Row y's runs are runs_[starts_[y], starts_[y + 1]). Both are empty when nothing is opaque,
  // so that a blank mask of any height costs the same few bytes and equal masks hold equal
  // vectors.
  std::vector<std::uint32_t> starts_;
  std::vector<Run> runs_;
};

}  // namespace brelund
