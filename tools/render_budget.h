// How much a form may ask of one run. A form file is small, but its sizes are not: one of a few
// hundred bytes may ask for buttons of hundreds of millions of pixels each. Before anything is
// created the pixels of the form and of every button are added up and the form is refused past
// the budget (`--max-pixels` raises it); within it, long work shows its progress.
#pragma once

#include <cstdint>
#include <string>

#include "brelund/forms.h"
#include "brelund/headless/form.h"
#include "brelund/raster.h"
#include "tools/progress.h"

namespace brelund::cli {

// 8192 x 8192: a form of that size with as much again in buttons takes about a gigabyte.
inline constexpr std::uint64_t kDefaultMaxPixels = std::uint64_t{8192} * 8192;

// The pixels the form's own picture and its buttons' pictures take together.
std::uint64_t pixels_needed(const forms::Form& form);
// Throws Failure naming the file, the need and the budget when the form needs more.
void check_budget(const forms::Form& form, const std::string& name, std::uint64_t max_pixels);

headless::FormInstance open_with_progress(forms::Form form, const std::string& name,
                                          Progress* progress);
Raster render_with_progress(headless::FormInstance& form, Progress* progress);

}  // namespace brelund::cli
