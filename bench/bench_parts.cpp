// The rebuild taken apart on the headless host's mask canvas, to show where its time goes
// beyond the face: clearing the persistent image, filling the rounded region, and handing a copy
// of the image to the surface as the mask picture.
#include <benchmark/benchmark.h>

#include "bench/sizes.h"
#include "host/headless/children.h"
#include "shape/region.h"

namespace brelund::bench {
namespace {

enum class Step { clear, fill, image };

template <Step S>
void mask_step(benchmark::State& state, Size size) {
  headless::MaskCanvas mask;
  mask.set_width(size.width_twips());
  mask.set_height(size.height_twips());
  const auto region = shape::round_rect_region(0, 0, size.width, size.height, 20, 20);
  for (auto _ : state) {
    if constexpr (S == Step::clear) mask.clear();
    if constexpr (S == Step::fill) mask.fill_black(region);
    if constexpr (S == Step::image) {
      auto picture = mask.image();
      benchmark::DoNotOptimize(picture.get());
    }
    benchmark::DoNotOptimize(&mask);
  }
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes) {
    benchmark::RegisterBenchmark(("parts/mask_clear/" + s.label()).c_str(), mask_step<Step::clear>, s);
    benchmark::RegisterBenchmark(("parts/mask_fill/" + s.label()).c_str(), mask_step<Step::fill>, s);
    benchmark::RegisterBenchmark(("parts/mask_image/" + s.label()).c_str(), mask_step<Step::image>, s);
  }
  return true;
}();

}  // namespace
}  // namespace brelund::bench
