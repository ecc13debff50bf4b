// The operating-system services on Qt: system colours from the application palette, the pointer
// from QCursor and the window under it from QApplication::widgetAt.
#pragma once

#include <QPalette>
#include <QWidget>

#include "brelund/host.h"

namespace brelund::qt {

// What window_from_point answers for a window that is not a control of ours.
inline constexpr host::WindowHandle kForeignWindow = 1;

// A fresh handle for a control's window; never 0 or kForeignWindow.
host::WindowHandle next_window_handle();

// Marks a widget as part of the control's own window: the control itself and its windowless
// caption and picture carry the control's handle.
void set_window_handle(QWidget& w, host::WindowHandle h);
// The handle a widget answers for: its own mark, or kForeignWindow for any other widget.
host::WindowHandle window_handle_of(const QWidget* w);

// The palette colour that plays the part of system colour `index` (0..30); false beyond them.
bool system_color_role(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role);

class Platform final : public host::Platform {
 public:
  OleColor get_sys_color(int index) override;
  host::ScreenPoint cursor_pos() override;
  host::WindowHandle window_from_point(host::ScreenPoint p) override;
};

}  // namespace brelund::qt
