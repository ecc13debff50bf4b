#include "brelund/raster.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace brelund {

namespace {

#if defined(__SSE2__)
void fill_sse2(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept {
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
  for (; i < n; ++i) p[i] = value;
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#define BRELUND_FILL_AVX2 1
// Built for AVX2 on its own and chosen at run time, so the library still runs on any x86-64.
[[gnu::target("avx2")]] void fill_avx2(std::uint32_t* p, std::size_t n,
                                       std::uint32_t value) noexcept {
  const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
  for (; i < n; ++i) p[i] = value;
}
#endif

using Fill = void (*)(std::uint32_t*, std::size_t, std::uint32_t) noexcept;

Fill choose_fill() noexcept {
#if defined(BRELUND_FILL_AVX2)
  if (__builtin_cpu_supports("avx2")) return fill_avx2;
#endif
#if defined(__SSE2__)
  return fill_sse2;
#else
  return [](std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept {
    std::fill(p, p + n, value);
  };
#endif
}

}  // namespace

// The compiler keeps a plain loop scalar at our optimisation level; wide stores make the fill
// run at memory speed, which is what every face, mask and clear spends its time in.
void fill_pixels(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept {
  static const Fill fill = choose_fill();
  fill(p, n, value);
}

void blend(Raster& dst, const std::uint32_t* src, int w, int h, int x0, int y0) noexcept {
  for (int y = 0; y < h; ++y) {
    const int dy = y0 + y;
    if (dy < 0 || dy >= dst.height) continue;
    for (int x = 0; x < w; ++x) {
      const int dx = x0 + x;
      if (dx < 0 || dx >= dst.width) continue;
      const std::uint32_t s = src[static_cast<std::size_t>(y) * w + x];
      const unsigned a = s >> 24;
      if (a == 0) continue;
      std::uint32_t& d = dst.row(dy)[dx];
      if (a == 255) {
        d = s;
        continue;
      }
      auto mix = [&](int shift) {
        return ((((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (255 - a) + 127) / 255)
               << shift;
      };
      d = (d & 0xFF000000u) | mix(16) | mix(8) | mix(0);
    }
  }
}

void Raster::resize(int w, int h, std::uint32_t fill) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
}

void Raster::fill_span(int y, int x0, int x1, std::uint32_t argb) noexcept {
  if (y < 0 || y >= height) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, width);
  if (x0 < x1) fill_pixels(row(y) + x0, static_cast<std::size_t>(x1 - x0), argb);
}

}  // namespace brelund
