// Our paths, driven only through what a host can call: the face alone (focus changes paint
// without layout), the rebuild with the shape kept and with a new one, the drag step, a hover move
// while Timer1 runs, saving and loading the thirteen keys, and a form of a thousand buttons.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>

#include "bench/sizes.h"
#include "brelund/boton.h"
#include "brelund/forms.h"
#include "brelund/headless/button.h"
#include "brelund/headless/form.h"
#include "host/common/png.h"
#include "host/common/property_bag.h"
#include "host/headless/internals.h"

namespace brelund::bench {
namespace {

// Captions are measured by a constant so that the figures show the control's own work, not
// FreeType's (the form benchmark below has no such choice and says so).
headless::TextMeasure fixed_measure() {
  return [](const Font&, const std::string&) { return headless::TextSize{40, 13}; };
}

std::unique_ptr<headless::Button> shown_button(const Size& size) {
  auto b = std::make_unique<headless::Button>(nullptr, nullptr, fixed_measure());
  b->control().InitProperties();
  b->resize(size.width_twips(), size.height_twips());
  b->control().Show();
  return b;
}

void paint(benchmark::State& state, Size size) {
  auto b = shown_button(size);
  Boton& ctl = b->control();
  bool focused = false;
  for (auto _ : state) {
    // Each focus change paints the face once and lays nothing out.
    if (focused)
      ctl.LostFocus();
    else
      ctl.GotFocus();
    focused = !focused;
    benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

void rebuild(benchmark::State& state, Size size) {
  auto b = shown_button(size);
  for (auto _ : state) {
    b->control().CreaNuevaRegion();
    benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// A rebuild that changes the shape: the mask is drawn anew each time, where the rebuild above
// (same shape) keeps it. The corner size alternates through its property, as a form would set it.
void reshape(benchmark::State& state, Size size) {
  auto b = shown_button(size);
  Boton& ctl = b->control();
  const std::int32_t round = ctl.RoundSize();
  bool other = false;
  for (auto _ : state) {
    other = !other;
    ctl.set_RoundSize(other ? round + 1 : round);
    benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

void drag(benchmark::State& state, Size size) {
  auto b = shown_button(size);
  Boton& ctl = b->control();
  b->pointer_over();
  std::int16_t button = 1, shift = 0;
  float x = size.width_twips() / 2, y = size.height_twips() / 2;
  ctl.MouseDown(button, shift, x, y);
  for (auto _ : state) {
    button = 1;
    ctl.MouseMove(button, shift, x, y);
    benchmark::DoNotOptimize(internals(*b).surface.pixels().pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

void hover(benchmark::State& state, Size size) {
  auto b = shown_button(size);
  Boton& ctl = b->control();
  b->pointer_over();
  std::int16_t button = 0, shift = 0;
  float x = size.width_twips() / 2, y = size.height_twips() / 2;
  ctl.MouseMove(button, shift, x, y);  // enters: lit face, Timer1 starts
  if (!internals(*b).timer.enabled())
    state.SkipWithError("Timer1 did not start on entering the button");
  for (auto _ : state) {
    button = 0;
    ctl.MouseMove(button, shift, x, y);
    benchmark::DoNotOptimize(button);
  }
}

// Every one of the thirteen keys away from its default, so that a save writes them all.
void set_all_keys(headless::Button& b) {
  Boton& ctl = b.control();
  auto font = std::make_shared<Font>();
  font->name = "DejaVu Serif";
  font->size = 12;
  font->bold = true;
  font->weight = 700;
  ctl.set_Caption("Aceptar");
  ctl.set_Font(font);
  ctl.set_MouseIcon(make_picture(16, 16, std::vector<std::uint32_t>(256, 0xFF000000u)));
  ctl.set_MousePointer(99);
  ctl.set_Picture(make_picture(32, 32, std::vector<std::uint32_t>(1024, 0xFF2050C0u)));
  ctl.set_BackColor(0x00C08040);
  ctl.set_ForeColor(0x00000080);
  ctl.set_RoundSize(12);
  ctl.set_Light(30);
  ctl.set_ToolTipText("Guarda los cambios");
  ctl.set_CreateRegion(kFalse);
  ctl.set_Roundness3D(35);
  ctl.set_Enabled(kFalse);
}

void save_keys(benchmark::State& state) {
  auto b = shown_button(kSizes[0]);
  set_all_keys(*b);
  {
    host::MemoryPropertyBag probe;
    b->control().WriteProperties(probe);
    if (probe.entries().size() != 13) state.SkipWithError("not all thirteen keys were written");
  }
  for (auto _ : state) {
    host::MemoryPropertyBag bag;
    b->control().WriteProperties(bag);
    benchmark::DoNotOptimize(bag.entries().data());
  }
}

void load_keys(benchmark::State& state) {
  auto source = shown_button(kSizes[0]);
  set_all_keys(*source);
  host::MemoryPropertyBag saved;
  source->control().WriteProperties(saved);
  auto b = std::make_unique<headless::Button>(nullptr, nullptr, fixed_measure());
  for (auto _ : state) {
    // A fresh bag each time: reading must not depend on what an earlier read left behind.
    host::MemoryPropertyBag bag(saved.entries());
    b->control().ReadProperties(bag);
  }
}

// A form file of n buttons in a 40-column grid, each with a few saved keys, as a save writes it.
std::string form_text(int n) {
  std::ostringstream os;
  os << R"({"Form":{"Caption":"Many","Width":120000,"Height":40000,"BackColor":"&H8000000F&"},)"
     << R"("Controls":[)";
  for (int i = 0; i < n; ++i) {
    if (i) os << ',';
    os << R"({"Name":"Boton)" << i + 1 << R"(","Left":)" << (i % 40) * 3000 << R"(,"Top":)"
       << (i / 40) * 900 << R"(,"Width":2955,"Height":855,"Properties":{"Caption":"Boton )" << i + 1
       << R"(","BackColor":"&H00C08040&","RoundSize":)" << 10 + i % 20 << R"(,"Light":)"
       << 20 + i % 40 << "}}";
  }
  os << "]}";
  return os.str();
}

constexpr int kFormButtons = 1000;

void form_load(benchmark::State& state) {
  const std::string text = form_text(kFormButtons);
  for (auto _ : state) {
    auto form = forms::parse(text, ".", "bench.json");
    benchmark::DoNotOptimize(form.controls.data());
  }
}

void form_open(benchmark::State& state) {
  const forms::Form form = forms::parse(form_text(kFormButtons), ".", "bench.json");
  for (auto _ : state) {
    auto fi = headless::FormInstance::open(form, "bench.json");
    benchmark::DoNotOptimize(fi.buttons.data());
    state.PauseTiming();  // freeing a thousand buttons is not part of showing them
    fi = {};
    state.ResumeTiming();
  }
}

void form_save(benchmark::State& state) {
  auto fi = headless::FormInstance::open(forms::parse(form_text(kFormButtons), ".", "bench.json"),
                                         "bench.json");
  for (auto _ : state) {
    const std::string out = forms::to_json(fi.capture());
    benchmark::DoNotOptimize(out.data());
  }
}

void form_round_trip(benchmark::State& state) {
  const std::string text = form_text(kFormButtons);
  for (auto _ : state) {
    auto fi = headless::FormInstance::open(forms::parse(text, ".", "bench.json"), "bench.json");
    const std::string out = forms::to_json(fi.capture());
    benchmark::DoNotOptimize(out.data());
  }
}

// The open form drawn as the headless host shows it, and written as a PNG file's bytes: every
// button's pixels are made here, where opening the form above made none.
void form_png(benchmark::State& state) {
  auto fi = headless::FormInstance::open(forms::parse(form_text(kFormButtons), ".", "bench.json"),
                                         "bench.json");
  for (auto _ : state) {
    const Raster r = fi.render();
    const std::vector<std::uint8_t> png = png::encode(r.width, r.height, r.pixels);
    benchmark::DoNotOptimize(png.data());
  }
}

[[maybe_unused]] const bool registered = [] {
  for (const Size& s : kSizes) {
    benchmark::RegisterBenchmark(("ours/paint/" + s.label()).c_str(), paint, s);
    benchmark::RegisterBenchmark(("ours/rebuild/" + s.label()).c_str(), rebuild, s);
    benchmark::RegisterBenchmark(("ours/reshape/" + s.label()).c_str(), reshape, s);
    benchmark::RegisterBenchmark(("ours/drag/" + s.label()).c_str(), drag, s);
    benchmark::RegisterBenchmark(("ours/hover/" + s.label()).c_str(), hover, s);
  }
  benchmark::RegisterBenchmark("ours/save13", save_keys);
  benchmark::RegisterBenchmark("ours/load13", load_keys);
  benchmark::RegisterBenchmark("ours/form1000/parse", form_load)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ours/form1000/open", form_open)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ours/form1000/save", form_save)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ours/form1000/all", form_round_trip)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ours/form1000/png", form_png)->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
}  // namespace brelund::bench
