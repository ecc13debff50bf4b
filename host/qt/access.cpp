// BotonWidgetAccess: the Qt host's inside, for tests, tools and the form window.
#include "host/qt/access.h"

#include "brelund/units.h"
#include "host/common/property_bag.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

BotonWidget* BotonWidgetAccess::create(QWidget* parent, FontRef ambient, bool init) {
  BotonWidget::Options options;
  options.ambient = std::move(ambient);
  options.init = init;
  return new BotonWidget(parent, options);
}

host::Instance& BotonWidgetAccess::instance(BotonWidget& w) { return *w.d_->instance; }
Boton& BotonWidgetAccess::control(BotonWidget& w) { return w.d_->instance->control(); }
Surface& BotonWidgetAccess::surface(BotonWidget& w) { return w.d_->surface; }
Label& BotonWidgetAccess::label(BotonWidget& w) { return w.d_->label; }
Image& BotonWidgetAccess::pic(BotonWidget& w) { return w.d_->pic; }
Mask& BotonWidgetAccess::mask(BotonWidget& w) { return w.d_->mask; }
Timer& BotonWidgetAccess::timer(BotonWidget& w) { return w.d_->timer; }
Platform& BotonWidgetAccess::platform(BotonWidget& w) { return w.d_->platform; }
host::WindowHandle BotonWidgetAccess::hwnd(BotonWidget& w) { return w.d_->hwnd; }
bool BotonWidgetAccess::hover_timer_active(BotonWidget& w) { return w.d_->timer.enabled(); }

void BotonWidgetAccess::set_ambient_font(BotonWidget& w, FontRef font) {
  w.d_->surface.ambient_given = font != nullptr;
  w.d_->surface.set_ambient_font(font ? std::move(font) : from_qfont(w.font()));
}

QImage BotonWidgetAccess::face(BotonWidget& w) {
  const Raster& r = w.d_->surface.pixels();
  if (r.width == 0 || r.height == 0) return {};
  return QImage(reinterpret_cast<const uchar*>(r.pixels.data()), r.width, r.height, r.width * 4,
                QImage::Format_ARGB32)
      .copy();
}

QRect BotonWidgetAccess::caption_rect(BotonWidget& w) { return w.d_->caption_rect(); }
QRect BotonWidgetAccess::picture_rect(BotonWidget& w) { return w.d_->picture_rect(); }

Status BotonWidgetAccess::load(BotonWidget& w, const forms::Control& entry,
                               const std::string& file) {
  BotonWidget::Private& d = *w.d_;
  w.setObjectName(QString::fromStdString(entry.name));
  const Status s = d.instance->load(entry, file);
  if (s.gone) return s;
  w.setDefault(entry.is_default);
  d.surface.cancel = entry.is_cancel;
  w.move(units::extent_pixels(entry.left), units::extent_pixels(entry.top));
  return s;
}

forms::Properties BotonWidgetAccess::save(BotonWidget& w) {
  BotonWidget::Private& d = *w.d_;
  host::MemoryPropertyBag bag;
  d.surface.saving = true;
  const Status s = d.instance->save(bag);
  if (s.gone) return {};
  d.surface.saving = false;
  d.settle(s);
  return bag.entries();
}

bool BotonWidgetAccess::resize(BotonWidget& w, float width_twips, float height_twips) {
  BotonWidget::Private& d = *w.d_;
  return d.run([&] { return d.instance->resize(width_twips, height_twips); });
}

bool BotonWidgetAccess::access_key(BotonWidget& w, short key_ascii) {
  BotonWidget::Private& d = *w.d_;
  return d.run([&] { return d.instance->access_key(key_ascii); });
}

bool BotonWidgetAccess::tick(BotonWidget& w) {
  BotonWidget::Private& d = *w.d_;
  return d.run([&] { return d.instance->tick(); });
}

bool BotonWidgetAccess::took_press(BotonWidget& w, int qt_key) {
  return w.d_->keys.down().count(qt_key) != 0;
}

}  // namespace brelund::qt
