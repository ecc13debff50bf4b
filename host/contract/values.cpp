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
  auto p = std::make_shared<Picture>();
  if (width > 0 && height > 0) {
    p->handle = new_picture_handle();
    p->width = width;
    p->height = height;
    const std::size_t n =
        num::area(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
    p->pixels.assign(pixels.begin(),
                     pixels.begin() + static_cast<std::ptrdiff_t>(std::min(n, pixels.size())));
    // A short list is made up with transparent pixels, given here: Pixels leaves new ones unset.
    p->pixels.resize(n, 0u);
  }
  return p;
}

PictureRef make_empty_picture() { return std::make_shared<Picture>(); }

}  // namespace brelund
