#include "host/common/png.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "brelund/error.h"
#include "control/numeric.h"

namespace brelund::png {

namespace {

[[noreturn]] void fail(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid picture: " + why);
}

struct ReadState {
  const std::vector<std::uint8_t>* bytes;
  std::size_t pos = 0;
};

void read_fn(png_structp png, png_bytep out, png_size_t n) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(png));
  if (st->pos + n > st->bytes->size()) png_error(png, "truncated data");
  std::memcpy(out, st->bytes->data() + st->pos, n);
  st->pos += n;
}

void write_fn(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

void flush_fn(png_structp) {}

// libpng reports errors through longjmp; turning them into an exception inside its callback
// would unwind through C frames, so the error text is kept and setjmp answers.
void error_fn(png_structp png, png_const_charp msg) {
  auto* why = static_cast<std::string*>(png_get_error_ptr(png));
  if (why) *why = msg;
  png_longjmp(png, 1);
}
void warning_fn(png_structp, png_const_charp) {}

}  // namespace

std::vector<std::uint8_t> encode(int width, int height, const std::vector<std::uint32_t>& argb) {
  std::string why;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &why, error_fn, warning_fn);
  if (!png) fail("out of memory");
  png_infop info = png_create_info_struct(png);
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(std::max(width, 0)) * 4);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fail(why);
  }
  png_set_write_fn(png, &out, write_fn, flush_fn);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
      row[x * 4 + 0] = static_cast<std::uint8_t>(p >> 16);
      row[x * 4 + 1] = static_cast<std::uint8_t>(p >> 8);
      row[x * 4 + 2] = static_cast<std::uint8_t>(p);
      row[x * 4 + 3] = static_cast<std::uint8_t>(p >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

PictureRef decode(const std::vector<std::uint8_t>& bytes, std::size_t max_pixels) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) fail("not a PNG image");
  std::string why = "damaged PNG data";
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &why, error_fn, warning_fn);
  if (!png) fail("out of memory");
  png_infop info = png_create_info_struct(png);
  ReadState st{&bytes};
  // Everything that must be released on the error path is declared before setjmp.
  Pixels pixels;
  std::vector<std::uint8_t> image;
  std::vector<png_bytep> rows;
  png_uint_32 w = 0, h = 0;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    fail(why);
  }
  png_set_read_fn(png, &st, read_fn);
  png_set_user_limits(png, 65535, 65535);
  png_read_info(png, info);
  w = png_get_image_width(png, info);
  h = png_get_image_height(png, info);
  std::size_t count = 0;
  if (w == 0 || h == 0 || __builtin_mul_overflow(std::size_t{w}, std::size_t{h}, &count) ||
      count > max_pixels) {
    png_destroy_read_struct(&png, &info, nullptr);
    fail("image of " + std::to_string(w) + " x " + std::to_string(h) +
         " pixels is larger than the limit of " + std::to_string(max_pixels) + " pixels");
  }
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<std::size_t>(w) * 4)
    png_error(png, "unsupported pixel format");
  // Interlaced images need all rows in memory at once.
  image.resize(num::area(w, h, 4));
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = image.data() + static_cast<std::size_t>(y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  pixels.resize(count);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const std::uint8_t* p = image.data() + i * 4;
    pixels[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) |
                (std::uint32_t{p[1]} << 8) | p[2];
  }
  return make_picture(static_cast<int>(w), static_cast<int>(h), std::move(pixels));
}

}  // namespace brelund::png
