// PNG for the browser build, through stb_image and stb_image_write (Debian's libstb-dev, compiled
// in): the same interface as the libpng codec of the desktop hosts. Pictures from the page
// arrive already decoded by the browser; this serves the pictures inside form entries and
// snapshots. The two codecs compress differently, so a picture crosses between the hosts pixel
// for pixel, not byte for byte.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "brelund/error.h"
#include "host/common/png.h"

// Only PNG, only from and to memory; pictures as large as libpng takes on the desktop.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 65535
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace brelund::png {

namespace {

[[noreturn]] void fail(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid picture: " + why);
}

struct Free {
  void operator()(void* p) const noexcept { std::free(p); }
};

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

}  // namespace

std::vector<std::uint8_t> encode(int width, int height, const std::vector<std::uint32_t>& argb) {
  if (width <= 0 || height <= 0 ||
      argb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    fail("no pixels to encode");
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  for (std::size_t i = 0; i < rgba.size() / 4; ++i) {
    const std::uint32_t p = argb[i];
    rgba[i * 4] = static_cast<std::uint8_t>(p >> 16);
    rgba[i * 4 + 1] = static_cast<std::uint8_t>(p >> 8);
    rgba[i * 4 + 2] = static_cast<std::uint8_t>(p);
    rgba[i * 4 + 3] = static_cast<std::uint8_t>(p >> 24);
  }
  int length = 0;
  const std::unique_ptr<unsigned char, Free> png(
      stbi_write_png_to_mem(rgba.data(), width * 4, width, height, 4, &length));
  if (!png) fail("out of memory");
  return {png.get(), png.get() + length};
}

PictureRef decode(const std::vector<std::uint8_t>& bytes, std::size_t max_pixels) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) fail("not a PNG image");
  if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) fail("damaged PNG data");
  const auto size = static_cast<int>(bytes.size());
  int w = 0, h = 0, channels = 0;
  // The size is checked before a single pixel is decoded.
  if (!stbi_info_from_memory(bytes.data(), size, &w, &h, &channels))
    fail(std::string("damaged PNG data (") + stbi_failure_reason() + ")");
  const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (count == 0 || count > max_pixels)
    fail("image of " + std::to_string(w) + " x " + std::to_string(h) +
         " pixels is larger than the limit of " + std::to_string(max_pixels) + " pixels");
  // Any colour type and depth, interlaced or not, as 8-bit RGBA: sixteen-bit samples keep their
  // high byte, as libpng's strip does on the desktop.
  const std::unique_ptr<stbi_uc, Free> rgba(
      stbi_load_from_memory(bytes.data(), size, &w, &h, &channels, 4));
  if (!rgba) fail(std::string("damaged PNG data (") + stbi_failure_reason() + ")");
  Pixels pixels(count);
  for (std::size_t i = 0; i < count; ++i) {
    const stbi_uc* p = rgba.get() + i * 4;
    pixels[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) |
                (std::uint32_t{p[1]} << 8) | p[2];
  }
  return make_picture(w, h, std::move(pixels));
}

}  // namespace brelund::png
