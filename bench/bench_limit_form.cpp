// The limit for the form of a thousand buttons: a shown button keeps two buffers of its pixel
// size (the face it shows and the mask that shapes it), and a thousand buttons keep far more
// than the caches hold. Writing each of those buffers once, where they lie in memory, is what no
// way of opening that form goes below while it draws every button when it is shown. (The buffers
// are made once: freeing 90 MB each time would hand the pages back to the system and measure
// its page faults instead.)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/sizes.h"
#include "brelund/raster.h"
#include "brelund/values.h"
#include "host/common/whole_fill.h"

namespace brelund::bench {
namespace {

constexpr int kButtons = 1000;

void retained(benchmark::State& state, Size size) {
  const auto n = static_cast<std::size_t>(size.width) * size.height;
  // Made one after another, as the buttons make theirs.
  std::vector<Pixels> buffers;
  for (int i = 0; i < 2 * kButtons; ++i) buffers.emplace_back(n, 0u);
  std::uint32_t colour = 0xFFD4D0C8u;
  for (auto _ : state) {
    for (Pixels& p : buffers) fill_whole(p.data(), n, colour);
    benchmark::DoNotOptimize(buffers.data());
    benchmark::ClobberMemory();
    colour ^= 0x00010101u;  // a different value each time, so no fill can be skipped
  }
  state.SetItemsProcessed(state.iterations() * 2 * kButtons * size.width * size.height);
}

[[maybe_unused]] const bool registered = [] {
  const Size button = kSizes[0];
  benchmark::RegisterBenchmark(("limit/retained1000/" + button.label()).c_str(), retained, button)
      ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace brelund::bench
