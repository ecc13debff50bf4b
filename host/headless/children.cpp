#include "host/headless/children.h"

#include "brelund/units.h"

namespace brelund::headless {

// Not measured yet: the instance gives the caption its design text before anything asks for its
// size, and that measures it.
Label::Label(TextMeasure measure)
    : StoredLabel(std::make_shared<const Font>()), measure_fn_(std::move(measure)) {}

void Label::changed(host::Change what) {
  // The same caption in an equal font keeps its size: a load sets the caption and then the font,
  // which is most often the one it had.
  if (what == host::Change::measure ||
      (what == host::Change::text &&
       !(measured_ && caption() == measured_caption_ && *font() == *measured_font_)))
    stale_ = true;
}

void Label::remeasure() {
  stale_ = false;
  measured_ = false;
  if (pinned()) return measured(0, 0);
  const FontRef f = font();
  std::string text = caption();
  const TextSize s = measure_fn_ ? measure_fn_(*f, text) : TextSize{};
  measured_ = true;
  measured_caption_ = std::move(text);
  measured_font_ = f;
  measured(units::twips_of_pixels(s.width), units::twips_of_pixels(s.height));
}

}  // namespace brelund::headless
