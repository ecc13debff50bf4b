// PNG for the browser build, over the zlib streams of inflate.cpp: the same interface as the
// libpng codec of the desktop hosts. Pictures from the page arrive already decoded by the
// browser; this serves the pictures inside saved sets and form entries, and snapshots.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "brelund/error.h"
#include "host/common/png.h"
#include "host/web/src/inflate.h"

namespace brelund::png {

namespace {

[[noreturn]] void fail(const std::string& why) {
  throw Error(errors::kInvalidPropertyValue, "Invalid picture: " + why);
}

constexpr std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

std::uint32_t be32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void chunk(std::vector<std::uint8_t>& out, const char* type,
           const std::vector<std::uint8_t>& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, web::zlib::crc32(0, out.data() + start, out.size() - start));
}

std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

}  // namespace

std::vector<std::uint8_t> encode(int width, int height, const std::vector<std::uint32_t>& argb) {
  if (width <= 0 || height <= 0 ||
      argb.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    fail("no pixels to encode");
  std::vector<std::uint8_t> raw;
  raw.reserve(static_cast<std::size_t>(width * 4 + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = argb[static_cast<std::size_t>(y) * width + x];
      raw.insert(raw.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                             static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
    }
  }
  std::vector<std::uint8_t> out(kSignature, kSignature + 8), ihdr;
  put32(ihdr, static_cast<std::uint32_t>(width));
  put32(ihdr, static_cast<std::uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk(out, "IHDR", ihdr);
  chunk(out, "IDAT", web::zlib::deflate_stored(raw.data(), raw.size()));
  chunk(out, "IEND", {});
  return out;
}

PictureRef decode(const std::vector<std::uint8_t>& bytes, std::size_t max_pixels) {
  if (bytes.size() < 8 || std::memcmp(bytes.data(), kSignature, 8) != 0) fail("not a PNG image");
  std::uint32_t w = 0, h = 0;
  int depth = 0, type = -1;
  std::vector<std::uint8_t> idat, palette, trns;
  bool ended = false;
  for (std::size_t pos = 8; !ended;) {
    if (bytes.size() - pos < 12) fail("damaged PNG data");
    const std::uint32_t len = be32(&bytes[pos]);
    if (len > bytes.size() - pos - 12) fail("damaged PNG data");
    const std::uint8_t* body = &bytes[pos + 8];
    if (web::zlib::crc32(0, &bytes[pos + 4], len + 4) != be32(body + len))
      fail("damaged PNG data (a chunk's checksum is wrong)");
    const std::string name(reinterpret_cast<const char*>(&bytes[pos + 4]), 4);
    if (name == "IHDR") {
      if (len != 13) fail("damaged PNG data");
      w = be32(body);
      h = be32(body + 4);
      depth = body[8];
      type = body[9];
      if (body[12] != 0) fail("interlaced PNG images are not supported by the browser host");
    } else if (name == "PLTE") {
      palette.assign(body, body + len);
    } else if (name == "tRNS") {
      trns.assign(body, body + len);
    } else if (name == "IDAT") {
      idat.insert(idat.end(), body, body + len);
    } else if (name == "IEND") {
      ended = true;
    }
    pos += 12 + std::size_t{len};
  }
  if (type < 0) fail("damaged PNG data (no header)");
  const std::size_t count = std::size_t{w} * h;
  if (w == 0 || h == 0 || w > 65535 || h > 65535 || count > max_pixels)
    fail("image of " + std::to_string(w) + " x " + std::to_string(h) +
         " pixels is larger than the limit of " + std::to_string(max_pixels) + " pixels");
  const int channels = type == 0   ? 1
                       : type == 2 ? 3
                       : type == 3 ? 1
                       : type == 4 ? 2
                       : 6 == type ? 4
                                   : 0;
  const bool depth_ok = type == 3 ? (depth == 1 || depth == 2 || depth == 4 || depth == 8)
                        : type == 0
                            ? (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)
                            : (depth == 8 || depth == 16);
  if (channels == 0 || !depth_ok) fail("unsupported pixel format");
  const std::size_t bits = std::size_t{w} * channels * depth;
  const std::size_t stride = (bits + 7) / 8;
  const std::size_t bpp = std::max<std::size_t>(1, channels * depth / 8);
  std::vector<std::uint8_t> raw;
  try {
    raw = web::zlib::inflate(idat.data(), idat.size(), (stride + 1) * h);
  } catch (const std::runtime_error& e) {
    fail(std::string("damaged PNG data (") + e.what() + ")");
  }
  if (raw.size() != (stride + 1) * h) fail("damaged PNG data (the image data is short)");
  // Undo the filters row by row, in place.
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* row = &raw[y * (stride + 1)];
    const std::uint8_t filter = row[0];
    std::uint8_t* cur = row + 1;
    const std::uint8_t* up = y > 0 ? cur - (stride + 1) : nullptr;
    for (std::size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? cur[i - bpp] : 0, b = up ? up[i] : 0,
                c = up && i >= bpp ? up[i - bpp] : 0;
      switch (filter) {
        case 0:
          break;
        case 1:
          cur[i] = static_cast<std::uint8_t>(cur[i] + a);
          break;
        case 2:
          cur[i] = static_cast<std::uint8_t>(cur[i] + b);
          break;
        case 3:
          cur[i] = static_cast<std::uint8_t>(cur[i] + (a + b) / 2);
          break;
        case 4:
          cur[i] = static_cast<std::uint8_t>(cur[i] + paeth(a, b, c));
          break;
        default:
          fail("damaged PNG data (a row filter is not valid)");
      }
    }
  }
  Pixels pixels;
  pixels.resize(count);
  const int step = depth == 16 ? 2 : 1;  // 16-bit samples keep their high byte
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* row = &raw[y * (stride + 1) + 1];
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint8_t r, g, b, a = 255;
      if (depth < 8) {
        const std::size_t bit = std::size_t{x} * depth;
        const int v = (row[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        if (type == 3) {
          if (std::size_t(v) * 3 + 2 >= palette.size()) fail("damaged PNG data (no such colour)");
          r = palette[v * 3];
          g = palette[v * 3 + 1];
          b = palette[v * 3 + 2];
          if (std::size_t(v) < trns.size()) a = trns[v];
        } else {
          r = g = b = static_cast<std::uint8_t>(v * 255 / ((1 << depth) - 1));
          if (trns.size() >= 2 && v == ((trns[0] << 8) | trns[1])) a = 0;
        }
      } else {
        const std::uint8_t* p = row + std::size_t{x} * channels * step;
        switch (type) {
          case 0:
            r = g = b = p[0];
            break;
          case 2:
            r = p[0], g = p[step], b = p[2 * step];
            break;
          case 3:
            if (std::size_t{p[0]} * 3 + 2 >= palette.size())
              fail("damaged PNG data (no such colour)");
            r = palette[p[0] * 3], g = palette[p[0] * 3 + 1], b = palette[p[0] * 3 + 2];
            if (p[0] < trns.size()) a = trns[p[0]];
            break;
          case 4:
            r = g = b = p[0], a = p[step];
            break;
          default:
            r = p[0], g = p[step], b = p[2 * step], a = p[3 * step];
        }
      }
      pixels[std::size_t{y} * w + x] =
          (std::uint32_t{a} << 24) | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    }
  }
  return make_picture(static_cast<int>(w), static_cast<int>(h), std::move(pixels));
}

}  // namespace brelund::png
