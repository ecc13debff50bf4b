#include "host/qt/qt_platform.h"

#include <QApplication>
#include <QCursor>

#include "host/qt/access.h"

namespace brelund::qt {

namespace {
struct RoleOf {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};
// The classic system colours by index, each mapped to the palette role that plays its part.
constexpr RoleOf kRoles[31] = {
    {QPalette::Active, QPalette::Button},             // 0 scroll bar
    {QPalette::Active, QPalette::Dark},               // 1 desktop
    {QPalette::Active, QPalette::Highlight},          // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},        // 3 inactive caption
    {QPalette::Active, QPalette::Window},             // 4 menu
    {QPalette::Active, QPalette::Base},               // 5 window
    {QPalette::Active, QPalette::Shadow},             // 6 window frame
    {QPalette::Active, QPalette::WindowText},         // 7 menu text
    {QPalette::Active, QPalette::Text},               // 8 window text
    {QPalette::Active, QPalette::HighlightedText},    // 9 caption text
    {QPalette::Active, QPalette::Window},             // 10 active border
    {QPalette::Inactive, QPalette::Window},           // 11 inactive border
    {QPalette::Active, QPalette::Mid},                // 12 application workspace
    {QPalette::Active, QPalette::Highlight},          // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},    // 14 highlight text
    {QPalette::Active, QPalette::Button},             // 15 button face
    {QPalette::Active, QPalette::Dark},               // 16 button shadow
    {QPalette::Disabled, QPalette::Text},             // 17 grey text
    {QPalette::Active, QPalette::ButtonText},         // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText},  // 19 inactive caption text
    {QPalette::Active, QPalette::Light},              // 20 button highlight
    {QPalette::Active, QPalette::Shadow},             // 21 3D dark shadow
    {QPalette::Active, QPalette::Midlight},           // 22 3D light
    {QPalette::Active, QPalette::ToolTipText},        // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},        // 24 info background
    {QPalette::Active, QPalette::AlternateBase},      // 25 (no classic meaning)
    {QPalette::Active, QPalette::Link},               // 26 hot light
    {QPalette::Active, QPalette::Highlight},          // 27 gradient active caption
    {QPalette::Inactive, QPalette::Highlight},        // 28 gradient inactive caption
    {QPalette::Active, QPalette::Highlight},          // 29 menu highlight
    {QPalette::Active, QPalette::Window},             // 30 menu bar
};
}  // namespace

host::WindowHandle next_window_handle() {
  static host::WindowHandle next = 0x100;
  return next++;
}

host::WindowHandle window_handle_of(const QWidget* w) {
  if (!w) return 0;
  // The button keeps its handle itself: a dynamic property would cost every button a block of
  // Qt's extra object data.
  auto* button = qobject_cast<const BotonWidget*>(w);
  return button ? BotonWidgetAccess::hwnd(*const_cast<BotonWidget*>(button)) : kForeignWindow;
}

bool system_color_role(int index, QPalette::ColorGroup& group, QPalette::ColorRole& role) {
  if (index < 0 || index > 30) return false;
  group = kRoles[index].group;
  role = kRoles[index].role;
  return true;
}

OleColor Platform::get_sys_color(int index) {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
  if (overrides_)
    if (const auto pinned = overrides_->find(index); pinned != overrides_->end())
      return pinned->second;
  // Indexes beyond the scheme answer black, as the platform does for unknown entries.
  if (!system_color_role(index, group, role)) return 0;
  const QPalette palette = source_ ? source_->palette() : QApplication::palette();
  const QColor c = palette.color(group, role);
  return c.red() + 256 * c.green() + 65536 * c.blue();
}

host::ScreenPoint Platform::cursor_pos() {
  const QPoint p = pinned_ ? *pinned_ : QCursor::pos();
  return {p.x(), p.y()};
}

host::WindowHandle Platform::window_from_point(host::ScreenPoint p) {
  const QPoint at(p.x, p.y);
  // A button that is not on the screen has nothing in front of it: the point is over it where the
  // button would take a press there, as a QPushButton that was never shown answers for a drag.
  if (const auto* button = qobject_cast<const BotonWidget*>(source_.data());
      button && !button->isVisible() && BotonWidgetAccess::hits(*button, button->mapFromGlobal(at)))
    return window_handle_of(button);
  // widgetAt honours widget masks, so a cut-away corner answers the widget behind it.
  return window_handle_of(QApplication::widgetAt(at));
}

}  // namespace brelund::qt
