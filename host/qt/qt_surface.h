// UserControl on Qt: the stored surface shown by the widget's paintEvent, the window shape from
// the mask picture, the pointer shape, the push button's default state and the form's cancel
// button as the extender, and a face drawn again at device resolution on high-DPI screens.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <QPushButton>

#include "host/common/stored_surface.h"
#include "host/qt/qt_hires.h"
#include "host/qt/widget_hooks.h"

namespace brelund::qt {

class Mask;
struct Edits;

class Surface final : public host::StoredSurface {
 public:
  Surface(QPushButton& button, host::WindowHandle hwnd);

  // Enabled as the face shows it: the control's own setting, and no disabled ancestor. While
  // saving, only the control's own setting counts: a disabled dialog does not disable its buttons'
  // saved state.
  Bool16 enabled() override;
  Bool16 own_enabled() { return StoredSurface::enabled(); }

  void line(float x1, float y1, float x2, float y2, OleColor rgb) override;
  void rows(const Row* rows, int count) override;
  // Faces painted so far (each face is one batch of rows): the widget tells by it whether the
  // control has painted its face since the widget last painted a state of its own.
  std::uint64_t faces_painted = 0;
  host::WindowHandle hwnd() override { return hwnd_; }
  // The widget, told of PropertyChanged (its propertyChanged signal) and of each rebuild's end.
  WidgetHooks* hooks = nullptr;
  // The stores that draw nothing when set count as changes too: the next face is drawn with them.
  void set_back_color(OleColor c) override;
  void set_fore_color(OleColor c) override;
  void set_scale_width(float v) override;
  void set_scale_height(float v) override;
  void set_draw_style(std::int16_t style) override;
  void rebuilt() override;
  // The widget's count of changes, and what it notes when a rebuild ends.
  Edits* edits = nullptr;

  // The extender: Default is QPushButton's own `default`; Cancel is kept here. A host that
  // lacks both (as some containers do) is simulated by `present = false`.
  std::optional<bool> extender_default() override;
  std::optional<bool> extender_cancel() override;
  // The flags are kept together, where each on its own would pad the surface by seven bytes.
  bool cancel = false;
  bool extender_present = true;
  // The ambient font: the container's, or the widget's own font when none was given.
  bool ambient_given = false;
  // Set while the control saves (see enabled()).
  bool saving = false;
  // Called when Qt's own enabled state is being brought in line with the control's.
  bool applying_enabled = false;

  // The face at device resolution; an inactive one at a ratio of 1.
  const HiresFace& hires() const noexcept;
  // The widget's device pixel ratio. Qt works it out from the window and its screen each time it
  // is asked, and a face asked for it with every line it drew; within one step of the control it
  // is asked once. The application's code may move the window to another screen, so the ratio
  // is forgotten whenever that code may run (an event, a notification) and when the step ends.
  double ratio();
  void begin_step() noexcept { ++steps_; }
  void end_step() noexcept {
    if (--steps_ == 0) ratio_.reset();
  }
  void forget_ratio() noexcept { ratio_.reset(); }
  // The shapes the mask was filled with, to cut the window at device resolution.
  const std::vector<shape::Region>* regions = nullptr;

 private:
  void changed(host::Change what) override;
  void redraw() override;
  void notify(std::string_view name) override;
  void apply_shape();
  void apply_cursor();
  // The face at device resolution while the ratio is above 1 (made then), none otherwise.
  HiresFace* device_face();
  // The window shape last made, and what it was made from: most rebuilds (a caption, a colour,
  // a look, the show) keep the mask, and then neither the region nor Qt's mask is made again.
  // At device resolution the shape comes from the shapes the mask was filled with.
  struct Shaped {
    MaskRef mask;
    std::vector<shape::Region> shapes;
    double ratio = 1;
    QRegion region;
  };
  std::optional<Shaped> shaped_;
  int steps_ = 0;
  host::WindowHandle hwnd_;
  std::optional<double> ratio_;
  QPushButton& button_;
  // Made on the first high-DPI screen: most buttons never need one.
  std::unique_ptr<HiresFace> hires_;
};

}  // namespace brelund::qt
