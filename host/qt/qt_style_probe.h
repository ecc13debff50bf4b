// The colours a style sheet gives a push button in one state. Qt resolves style sheets (the
// application's, the window's, a parent's, the button's own) only while it draws, so the widget
// asks the style to draw the pieces that carry the colours and reads them back: the background
// the rules for that state fill the button with, and the colour its text is drawn in. Nothing is
// asked while no style sheet is in force, and each state is asked once: the widget makes a new
// probe when the style, its sheets, the palette or the font change.
#pragma once

#include <QColor>
#include <QStyleOptionButton>
#include <QWidget>
#include <cstdint>
#include <map>
#include <optional>

namespace brelund::qt {

struct StyledColours {
  std::optional<QColor> back;  // a rule's background for the state, opaque
  std::optional<QColor> ink;   // a rule's `color` for the state
  bool operator==(const StyledColours&) const = default;
};

class StyleProbe {
 public:
  // The colours the rules in force give `button` drawn with `option` (its state, checked,
  // pressed, hover, focus, default, flat). Neither when no style sheet reaches the button.
  StyledColours colours(const QWidget& button, const QStyleOptionButton& option);

 private:
  std::map<std::uint64_t, StyledColours> known_;
};

}  // namespace brelund::qt
