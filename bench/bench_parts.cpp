// The rebuild taken apart: the mask step alone on the headless host's mask canvas (clear, fill
// the rounded region, hand the image to the surface), so the report can show how much of a
// rebuild is the mask and how much the face and layout.
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
  const auto region = shape::round_rect_region(0, 0, size.width, size.height, 20, 20);
  // Like the surface, keep the last mask picture while the next one is drawn.
  PictureRef held = mask.image();
  mask.shown_through(&held);
  for (auto _ : state) {
    mask.clear();
    mask.fill_black(region);
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
