// Bytes held per shown button: measured as the heap's growth while buttons are created and shown
// (everything they allocate, nothing estimated), and taken apart into the surface's pixels, the
// mask canvas, the children and the share of the caption-size cache. Reported as counters; the
// loop only keeps the benchmark library content. The target is checked by bench_report.
//
// A surface makes its pixels when they are first read, so a button nobody looks at holds next to
// none. The figure held against the target is taken after reading the pixels once, as a host that
// shows the button does; the figure before that read travels beside it as bytes_held_unread.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/sizes.h"
#include "brelund/forms.h"
#include "brelund/headless/button.h"
#include "brelund/headless/form.h"
#include "host/headless/caption_shaping.h"
#include "host/headless/internals.h"

namespace brelund::bench {
namespace {

std::size_t heap_in_use() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;  // small blocks in use, and the large ones mapped on their own
}

std::size_t string_heap(const std::string& s) {
  return s.capacity() > std::string().capacity() ? s.capacity() + 1 : 0;
}

struct Parts {
  double surface = 0, mask = 0, children = 0, cache = 0;
};

Parts parts_of(headless::Button& b, std::size_t buttons_sharing_cache) {
  Parts p;
  p.surface =
      static_cast<double>(internals(b).surface.pixels().pixels.capacity() * sizeof(std::uint32_t));
  // The surface's mask picture is the mask canvas's own image, counted once there.
  p.mask = static_cast<double>(internals(b).mask.bytes_held());
  p.children = static_cast<double>(string_heap(internals(b).label.caption()) +
                                   string_heap(internals(b).label.tool_tip_text()) + sizeof(Font));
  if (const PictureRef pic = internals(b).pic.picture())
    p.children += static_cast<double>(pic->pixels.capacity() * sizeof(std::uint32_t));
  p.cache = static_cast<double>(headless::measure_cache_bytes()) /
            static_cast<double>(buttons_sharing_cache);
  return p;
}

void report(benchmark::State& state, double held, double unread, int width, int height,
            const Parts& p) {
  for (auto _ : state) benchmark::DoNotOptimize(held);
  state.counters["bytes_held"] = held;
  state.counters["bytes_held_unread"] = unread;
  state.counters["pixel_bytes"] = 4.0 * width * height;  // its area in 32-bit pixels
  state.counters["surface_bytes"] = p.surface;
  state.counters["mask_bytes"] = p.mask;
  state.counters["children_bytes"] = p.children;
  state.counters["caption_cache_bytes"] = p.cache;
}

// One button of the given size, created, sized and shown, with FreeType measuring its caption.
void one_button(benchmark::State& state, Size size) {
  {  // the font faces and the caption cache are opened once per process, not per button
    headless::Button warm;
    warm.control().InitProperties();
    warm.control().Show();
  }
  const std::size_t before = heap_in_use();
  auto b = std::make_unique<headless::Button>();
  b->control().InitProperties();
  b->resize(size.width_twips(), size.height_twips());
  b->control().Show();
  // A second rebuild, as any property change makes: the mask canvas then holds what it keeps.
  b->control().CreaNuevaRegion();
  const auto unread = static_cast<double>(heap_in_use() - before);
  benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  const auto held = static_cast<double>(heap_in_use() - before);
  report(state, held, unread, size.width, size.height, parts_of(*b, 1));
}

// The form of a thousand 197 x 57 buttons that the form benchmarks open: the heap's growth per
// button, with every caption different.
void form_buttons(benchmark::State& state) {
  constexpr int kButtons = 1000;
  std::ostringstream os;
  os << R"({"Form":{"Caption":"Many","Width":120000,"Height":40000},"Controls":[)";
  for (int i = 0; i < kButtons; ++i)
    os << (i ? "," : "") << R"({"Name":"Boton)" << i + 1 << R"(","Left":)" << (i % 40) * 3000
       << R"(,"Top":)" << (i / 40) * 900 << R"(,"Width":2955,"Height":855,)"
       << R"("Properties":{"Caption":"Boton )" << i + 1 << R"("}})";
  os << "]}";
  forms::Form form = forms::parse(os.str(), ".", "bench.json");
  {
    headless::Button warm;
    warm.control().InitProperties();
    warm.control().Show();
  }
  const std::size_t before = heap_in_use();
  auto fi = headless::FormInstance::open(std::move(form), "bench.json");
  for (auto& b : fi.buttons) b->control().CreaNuevaRegion();
  // The parsed file was moved into the instance, not copied: the growth is the buttons'.
  const double unread = static_cast<double>(heap_in_use() - before) / static_cast<double>(kButtons);
  for (auto& b : fi.buttons) benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  const double held = static_cast<double>(heap_in_use() - before) / static_cast<double>(kButtons);
  Parts p = parts_of(*fi.buttons.front(), kButtons);
  report(state, held, unread, 197, 57, p);
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes)
    benchmark::RegisterBenchmark(("ours/memory/" + s.label()).c_str(), one_button, s)
        ->Iterations(1);
  benchmark::RegisterBenchmark("ours/memory/form1000", form_buttons)->Iterations(1);
  return true;
}();

}  // namespace
}  // namespace brelund::bench
