#include "brelund/raster.h"
#include "control/numeric.h"
#include "host/common/whole_fill.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace brelund {

namespace {

#if defined(__SSE2__)
// Spans are mostly a face row (a few hundred pixels): four stores per turn keep the loop's own
// work small beside the stores, and the ragged end is one store that overlaps the last whole one
// instead of a pixel-by-pixel tail.
void fill_sse2(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept {
  if (n < 4) {
    for (std::size_t i = 0; i < n; ++i) p[i] = value;
    return;
  }
  const __m128i v = _mm_set1_epi32(static_cast<int>(value));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 4), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 8), v);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i + 12), v);
  }
  for (; i + 4 <= n; i += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), v);
  if (i < n) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), v);
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#define BRELUND_FILL_AVX2 1
// Built for AVX2 on its own and chosen at run time, so the library still runs on any x86-64.
[[gnu::target("avx2"), gnu::always_inline]] inline void fill_avx2_at(std::uint32_t* p,
                                                                     std::size_t n,
                                                                     std::uint32_t value) noexcept {
  if (n < 8) {
    if (n >= 4) {
      const __m128i v = _mm_set1_epi32(static_cast<int>(value));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p + n - 4), v);
    } else {
      for (std::size_t i = 0; i < n; ++i) p[i] = value;
    }
    return;
  }
  // Rows start anywhere; a store that straddles two cache lines costs two. So one unaligned
  // store covers the head, the body goes in aligned stores, and one more covers the tail.
  const __m256i v = _mm256_set1_epi32(static_cast<int>(value));
  std::uint32_t* const end = p + n;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  auto* q = reinterpret_cast<std::uint32_t*>((reinterpret_cast<std::uintptr_t>(p) + 32) &
                                             ~std::uintptr_t{31});
  for (; end - q >= 32; q += 32) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(q), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 8), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 16), v);
    _mm256_store_si256(reinterpret_cast<__m256i*>(q + 24), v);
  }
  for (; end - q >= 8; q += 8) _mm256_store_si256(reinterpret_cast<__m256i*>(q), v);
  if (q < end) _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 8), v);
}

[[gnu::target("avx2")]] void fill_avx2(std::uint32_t* p, std::size_t n,
                                       std::uint32_t value) noexcept {
  fill_avx2_at(p, n, value);
}

[[gnu::target("avx2")]] void fill_rows_avx2(std::uint32_t* first, std::ptrdiff_t stride,
                                            std::size_t n, const std::uint32_t* colours,
                                            int rows) noexcept {
  for (int i = 0; i < rows; ++i, first += stride)
    if (colours[i] != 0) fill_avx2_at(first, n, colours[i]);
}
#endif

using Fill = void (*)(std::uint32_t*, std::size_t, std::uint32_t) noexcept;
using FillRows = void (*)(std::uint32_t*, std::ptrdiff_t, std::size_t, const std::uint32_t*,
                          int) noexcept;

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

void fill_rows(std::uint32_t* first, std::ptrdiff_t stride, std::size_t n,
               const std::uint32_t* colours, int rows) noexcept {
  static const FillRows fill = [] {
#if defined(BRELUND_FILL_AVX2)
    if (__builtin_cpu_supports("avx2")) return FillRows{fill_rows_avx2};
#endif
    return FillRows{[](std::uint32_t* p, std::ptrdiff_t step, std::size_t count,
                       const std::uint32_t* c, int k) noexcept {
      for (int i = 0; i < k; ++i, p += step)
        if (c[i] != 0) fill_pixels(p, count, c[i]);
    }};
  }();
  fill(first, stride, n, colours, rows);
}

void fill_whole(std::uint32_t* p, std::size_t n, std::uint32_t value) noexcept {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  // Below a few pages the string store's start-up costs more than it saves.
  if (n >= 1024) {
    asm volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(value) : "memory");
    return;
  }
#endif
  fill_pixels(p, n, value);
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
  // Sized first, without zeroing, and filled in one go: assign() would write the value in a scalar
  // loop.
  const std::size_t n =
      num::area(static_cast<std::size_t>(width), static_cast<std::size_t>(height));
  pixels.clear();
  pixels.resize(n);
  fill_whole(pixels.data(), n, fill);
}

void Raster::fill_span(int y, int x0, int x1, std::uint32_t argb) noexcept {
  if (y < 0 || y >= height) return;
  x0 = std::max(x0, 0);
  x1 = std::min(x1, width);
  if (x0 < x1) fill_pixels(row(y) + x0, static_cast<std::size_t>(x1 - x0), argb);
}

}  // namespace brelund
