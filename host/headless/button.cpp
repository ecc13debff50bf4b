#include "brelund/headless/button.h"

#include <algorithm>
#include <climits>

#include "brelund/units.h"

#include "host/common/png.h"
#include "host/headless/caption_box.h"
#include "host/headless/internals.h"
#include "render/colour.h"

namespace brelund::headless {

Button::Impl::Impl(host::EventSink* events, host::Observer* observer, TextMeasure measure)
    : label(measure ? std::move(measure) : TextMeasure(measure_caption)),
      platform(surface),
      instance(surface, label, pic, mask, timer, platform, sink, observer) {
  sink.target = events;
}

Button::Button(host::EventSink* events, host::Observer* observer, TextMeasure measure)
    : impl_(std::make_unique<Impl>(events, observer, std::move(measure))) {}

Button::~Button() = default;

Boton& Button::control() noexcept { return impl_->instance.control(); }
void Button::set_events(host::EventSink* events) noexcept { impl_->sink.target = events; }

void Button::resize(float width_twips, float height_twips) {
  throw_if_failed(impl_->instance.resize(width_twips, height_twips));
}

Status Button::tick(int periods) {
  Status first;
  for (int i = 0; i < periods; ++i) {
    Status s = impl_->instance.tick();
    if (s.gone) return s;
    if (!s.ok() && first.ok()) first = s;
  }
  return first;
}

void Button::pointer_over() {
  const auto o = impl_->platform.control_origin();
  const host::StoredSurface& s = impl_->surface;
  impl_->platform.set_pointer({o.x + s.pixel_width() / 2, o.y + s.pixel_height() / 2});
}

void Button::pointer_away() { impl_->platform.set_pointer({-10000, -10000}); }

void Button::pointer_at(int x, int y) {
  const auto o = impl_->platform.control_origin();
  // A pixel near the ends of the int range lies off the control and off the screen whichever
  // way it is rounded; it is held there instead of overflowing past the control's origin.
  const auto screen = [](int origin, int offset) {
    return static_cast<int>(
        std::clamp<long long>(static_cast<long long>(origin) + offset, INT_MIN, INT_MAX));
  };
  impl_->platform.set_pointer({screen(o.x, x), screen(o.y, y)});
}

Raster Button::compose() {
  Impl& h = *impl_;
  Raster out = h.surface.pixels();
  if (h.pic.visible()) {
    if (const PictureRef p = h.pic.picture(); p && p->handle != 0)
      blend(out, p->pixels.data(), p->width, p->height, units::position_pixels(h.pic.left()),
            units::position_pixels(h.pic.top()));
  }
  if (FontRef font = h.label.font()) {
    const OleColor rgb = SysColorToRgb(h.platform, h.label.fore_color());
    draw_caption(out, units::position_pixels(h.label.left()), units::position_pixels(h.label.top()),
                 *font, h.label.caption(), argb_of_rgb(rgb));
  }
  // White mask pixels are cut away; without a mask the whole window shows.
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      if (!h.surface.opaque_at(x, y)) out.row(y)[x] = 0;
  return out;
}

void Button::snapshot(const std::string& png_path) {
  const Raster r = compose();
  png::write_file(png_path, png::encode(r.width, r.height, r.pixels));
}

}  // namespace brelund::headless
