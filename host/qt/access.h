// The Qt host's inside, for tests and tools (the trace runner, the form window): everything a
// BotonWidget is built from, reached without the public header knowing any of it.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include <QImage>
#include <QRect>

#include "brelund/forms.h"
#include "brelund/qt/boton_widget.h"
#include "host/common/instance.h"
#include "host/qt/qt_children.h"
#include "host/qt/qt_platform.h"
#include "host/qt/qt_surface.h"

namespace brelund::qt {

class BotonWidgetAccess {
 public:
  // A button in `ambient` (the widget's font when none), created with InitProperties or, with
  // init false, waiting for load().
  static BotonWidget* create(QWidget* parent, FontRef ambient, bool init = true);

  static host::Instance& instance(BotonWidget& w);
  static Boton& control(BotonWidget& w);
  static Surface& surface(BotonWidget& w);
  static Label& label(BotonWidget& w);
  static Image& pic(BotonWidget& w);
  static Mask& mask(BotonWidget& w);
  static Timer& timer(BotonWidget& w);
  static Platform& platform(BotonWidget& w);
  static host::WindowHandle hwnd(BotonWidget& w);
  static bool hover_timer_active(BotonWidget& w);
  static void set_ambient_font(BotonWidget& w, FontRef font);

  // The retained face as drawn (without caption and picture), and where caption and picture are
  // painted, in widget pixels.
  static QImage face(BotonWidget& w);
  static QRect caption_rect(BotonWidget& w);
  static QRect picture_rect(BotonWidget& w);

  // A form entry: name, extender, extent, place and its saved set. The status is returned, not
  // reported: a form that cannot be loaded is refused as a whole.
  static Status load(BotonWidget& w, const forms::Control& entry, const std::string& file);
  // The host's steps, reported like every other (warning and error signal); false when the
  // control is gone.
  static forms::Properties save(BotonWidget& w);
  static bool resize(BotonWidget& w, float width_twips, float height_twips);
  static bool access_key(BotonWidget& w, short key_ascii);
  static bool tick(BotonWidget& w);

  // Whether the widget took the press of a key whose release it would act on, so that a driver
  // can tell beforehand where a real release will go. (Where a point of the pointer goes, the
  // instance answers: host::Instance::route.)
  static bool took_press(BotonWidget& w, int qt_key);
  // Whether a press at `pos` (widget pixels) would be the button's: inside it and its shape.
  static bool hits(const BotonWidget& w, QPoint pos) { return w.hitButton(pos); }
};

}  // namespace brelund::qt
