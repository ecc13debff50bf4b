#include "host/headless/button.h"

#include <cmath>

#include "control/design.h"
#include "host/headless/text.h"
#include "host/png.h"
#include "render/colour.h"

namespace brelund::headless {

Button::Button(host::EventSink* events, host::Observer* observer, TextMeasure measure)
    : label_(measure ? std::move(measure) : TextMeasure(measure_text)), platform_(surface_) {
  sink_.target = events;
  mask_.shown_through(&surface_.mask_picture());
  surface_.set_size(design::kWidth, design::kHeight);
  host::Services services{surface_, label_, pic_, mask_, timer_, platform_, sink_, observer};
  design::apply_design(services);
  control_ = std::make_unique<Boton>(services);
}

void Button::resize(float width_twips, float height_twips) {
  surface_.set_size(width_twips, height_twips);
  control_->Resize();
}

brelund::Status Button::tick(int periods) {
  Status first;
  for (int i = 0; i < periods; ++i) {
    if (!timer_.enabled()) continue;
    Status s = guarded([&] { control_->Timer1_Timer(); });
    if (!s.ok() && first.ok()) first = s;
  }
  return first;
}

void Button::pointer_over() {
  const auto o = platform_.control_origin();
  platform_.set_pointer({o.x + surface_.pixels().width / 2, o.y + surface_.pixels().height / 2});
}

void Button::pointer_away() { platform_.set_pointer({-10000, -10000}); }

void Button::pointer_at(int x, int y) {
  const auto o = platform_.control_origin();
  platform_.set_pointer({o.x + x, o.y + y});
}

Raster Button::compose() {
  Raster out = surface_.pixels();
  auto px = [](float twips) { return static_cast<int>(std::floor(twips / 15.0f)); };
  if (pic_.visible()) {
    if (const PictureRef p = pic_.picture(); p && p->handle != 0)
      blend(out, p->pixels.data(), p->width, p->height, px(pic_.left()), px(pic_.top()));
  }
  if (FontRef font = label_.font()) {
    const OleColor rgb = SysColorToRgb(platform_, label_.fore_color());
    draw_text(out, px(label_.left()), px(label_.top()), *font, label_.caption(), argb_of_rgb(rgb));
  }
  // White mask pixels are cut away; without a mask the whole window shows.
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      if (!surface_.opaque_at(x, y)) out.row(y)[x] = 0;
  return out;
}

void Button::snapshot(const std::string& png_path) {
  const Raster r = compose();
  png::write_file(png_path, png::encode(r.width, r.height, r.pixels));
}

}  // namespace brelund::headless
