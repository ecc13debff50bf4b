// The rebuild taken apart: the mask step alone on the headless host's mask canvas (clear, fill
// the rounded region, hand the image to the surface), so the report can show how much of a
// rebuild is the mask and how much the face and layout. The corners alternate between two
// sizes, as a mask that shows the shape asked for already is kept without drawing.
#include <benchmark/benchmark.h>

#include "bench/sizes.h"
#include "host/common/mask_image.h"
#include "shape/region.h"

namespace brelund::bench {
namespace {

void mask_step(benchmark::State& state, Size size) {
  MaskImage mask;
  mask.set_width(size.width_twips());
  mask.set_height(size.height_twips());
  const shape::Region regions[] = {shape::round_rect_region(0, 0, size.width, size.height, 20, 20),
                                   shape::round_rect_region(0, 0, size.width, size.height, 21, 21)};
  int turn = 0;
  // Like the surface, keep the last mask while the next one is drawn.
  MaskRef held = mask.image();
  for (auto _ : state) {
    mask.clear();
    mask.fill_black(regions[turn ^= 1]);
    held = mask.image();
    benchmark::DoNotOptimize(held.get());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes)
    benchmark::RegisterBenchmark(("parts/mask/" + s.label()).c_str(), mask_step, s);
  return true;
}();

}  // namespace
}  // namespace brelund::bench
