#include "brelund/values.h"
#include "control/numeric.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

namespace brelund {

std::uint32_t new_picture_handle() {
  static std::atomic<std::uint32_t> counter{0};
  std::uint32_t h;
  do h = ++counter;
  while (h == 0);
  return h;
}

PictureRef make_picture(int width, int height, std::vector<std::uint32_t> pixels) {
  if (width <= 0 || height <= 0) return make_empty_picture();
  const std::size_t n =
      num::area(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
  Pixels own(pixels.begin(),
             pixels.begin() + static_cast<std::ptrdiff_t>(std::min(n, pixels.size())));
  return make_picture_of_pixels(width, height, std::move(own));
}

PictureRef make_picture_of_pixels(int width, int height, Pixels pixels) {
  auto p = std::make_shared<Picture>();
  if (width > 0 && height > 0) {
    p->handle = new_picture_handle();
    p->width = width;
    p->height = height;
    p->pixels = std::move(pixels);
    // A short list is made up with transparent pixels, given here: Pixels leaves new ones unset.
    p->pixels.resize(num::area(static_cast<std::size_t>(width), static_cast<std::size_t>(height)),
                     0u);
  }
  return p;
}

PictureRef make_empty_picture() { return std::make_shared<Picture>(); }

}  // namespace brelund
