// The limit: a plain fill of a buffer of the same pixel size. No face can be drawn faster than
// its pixels can be written once, so every figure of ours is reported as a multiple of this one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "bench/sizes.h"

namespace brelund::bench {
namespace {

// Built twice: as the build compiles our code (the limit the targets use) and, from
// bench_limit_wide.cpp, at -O3, where the compiler writes 16 bytes per store. At -O2 std::fill of
// uint32 stays a scalar loop, and so does every span the raster fills.
#ifndef BRELUND_LIMIT_NAME
#define BRELUND_LIMIT_NAME "limit/fill/"
#endif

void fill(benchmark::State& state, Size size) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width) * size.height);
  std::uint32_t colour = 0xFFD4D0C8u;
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), colour);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
    colour ^= 0x00010101u;  // a different value each time, so no fill can be skipped
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes)
    benchmark::RegisterBenchmark((BRELUND_LIMIT_NAME + s.label()).c_str(), fill, s);
  return true;
}();

}  // namespace
}  // namespace brelund::bench
