// The operating-system services on Qt: system colours from the widget's palette (so that a theme
// or a style sheet reaches the face), the pointer from QCursor and the window under it from
// QApplication::widgetAt.
#pragma once

#include <map>
#include <memory>
#include <optional>

#include <QPalette>
#include <QPointer>
#include <QWidget>

#include "brelund/host.h"

namespace brelund::qt {

// What window_from_point answers for a window that is not a control of ours.
inline constexpr host::WindowHandle kForeignWindow = 1;

// A fresh handle for a control's window; never 0 or kForeignWindow.
host::WindowHandle next_window_handle();

// The handle a widget answers for: a button's own, or kForeignWindow for any other widget.
host::WindowHandle window_handle_of(const QWidget* w);

// The palette colour that plays the part of system colour `index` (0..30); false beyond them.
bool system_color_role(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role);

class Platform final : public host::Platform {
 public:
  // Colours come from `source`'s palette, or from the application's without one.
  explicit Platform(const QWidget* source = nullptr) : source_(source) {}

  OleColor get_sys_color(int index) override;
  host::ScreenPoint cursor_pos() override;
  host::WindowHandle window_from_point(host::ScreenPoint p) override;

  // A fixed colour for one system index, whatever the palette says (a trace pins its scheme).
  void set_sys_color(int index, OleColor rgb) {
    if (!overrides_) overrides_ = std::make_unique<std::map<int, OleColor>>();
    (*overrides_)[index] = rgb;
  }
  void clear_sys_colors() noexcept { overrides_.reset(); }

  // While Qt delivers a pointer event, the pointer is where that event says it was: a queued
  // release is judged where it happened, not where the pointer has gone since (and a synthetic
  // event, as tests and accessibility tools send, is judged where it is aimed).
  void pin_pointer(QPoint global) { pinned_ = global; }
  void unpin_pointer() { pinned_.reset(); }

 private:
  QPointer<const QWidget> source_;
  // Made by the first pinned colour: only a trace pins any.
  std::unique_ptr<std::map<int, OleColor>> overrides_;
  std::optional<QPoint> pinned_;
};

}  // namespace brelund::qt
