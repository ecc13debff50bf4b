#include "tools/render_budget.h"

#include <algorithm>

#include "brelund/units.h"
#include "tools/cli.h"

namespace brelund::cli {

namespace {
std::uint64_t area(float width, float height) {
  const auto w = static_cast<std::uint64_t>(std::max(0, units::extent_pixels(width)));
  const auto h = static_cast<std::uint64_t>(std::max(0, units::extent_pixels(height)));
  return w * h;
}
}  // namespace

std::uint64_t pixels_needed(const forms::Form& form) {
  std::uint64_t total = area(form.width, form.height);
  for (const auto& c : form.controls) total += area(c.width, c.height);
  return total;
}

void check_budget(const forms::Form& form, const std::string& name, std::uint64_t max_pixels) {
  const std::uint64_t need = pixels_needed(form);
  if (need <= max_pixels) return;
  const std::size_t n = form.controls.size();
  throw Failure(escaped(name) + ": the form and its " + std::to_string(n) +
                (n == 1 ? " button need " : " buttons need ") + std::to_string(need) +
                " pixels, more than the limit of " + std::to_string(max_pixels) +
                " (raise it with --max-pixels " + std::to_string(need) + ")");
}

headless::FormInstance open_with_progress(forms::Form form, const std::string& name,
                                          Progress* progress) {
  if (!progress) return headless::FormInstance::open(std::move(form), name);
  progress->stage("opening the buttons", form.controls.size());
  return headless::FormInstance::open(std::move(form), name, [progress] { progress->step(); });
}

Raster render_with_progress(headless::FormInstance& form, Progress* progress) {
  if (!progress) return form.render();
  progress->stage("drawing the form", form.buttons.size());
  return form.render([progress] { progress->step(); });
}

}  // namespace brelund::cli
