#include "host/headless/children.h"

#include "brelund/units.h"

namespace brelund::headless {

Label::Label(TextMeasure measure)
    : StoredLabel(std::make_shared<const Font>()), measure_fn_(std::move(measure)) {
  remeasure();
}

void Label::pin_size(std::optional<std::pair<float, float>> twips) {
  pinned_ = twips;
  remeasure();
}

void Label::changed(host::Change what) {
  if (what == host::Change::text) remeasure();
  if (what == host::Change::colour && on_fore_color) on_fore_color(fore_color());
}

void Label::remeasure() {
  if (pinned_) return measured(pinned_->first, pinned_->second);
  const TextSize s = measure_fn_ ? measure_fn_(*font(), caption()) : TextSize{};
  measured(units::twips_of_pixels(s.width), units::twips_of_pixels(s.height));
}

}  // namespace brelund::headless
