#include "brelund/values.h"
#include "control/numeric.h"

#include <atomic>

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
    p->pixels = std::move(pixels);
    p->pixels.resize(num::area(static_cast<std::size_t>(width), static_cast<std::size_t>(height)));
  }
  return p;
}

PictureRef make_empty_picture() { return std::make_shared<Picture>(); }

}  // namespace brelund
