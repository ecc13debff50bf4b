#include "host/qt/qt_style_probe.h"

#include <QImage>
#include <QPainter>
#include <QStyle>

namespace brelund::qt {

namespace {
// The pseudo-states a style sheet can select a push button by, and its features (default, flat,
// menu) that select it too.
constexpr QStyle::State kStates = QStyle::State_Enabled | QStyle::State_On | QStyle::State_Off |
                                  QStyle::State_Sunken | QStyle::State_MouseOver |
                                  QStyle::State_HasFocus;

std::uint64_t key_of(const QStyleOptionButton& o) {
  return (std::uint64_t(o.state & kStates) << 16) | std::uint64_t(o.features) |
         (std::uint64_t(o.direction == Qt::RightToLeft) << 62);
}

// The style sheet style fills a widget's background (PE_Widget) with what the rules for the
// option's state set, and draws nothing when none sets one: the middle of a small picture of it
// is the rule's colour, or transparent.
std::optional<QColor> background(const QWidget& w, const QStyleOptionButton& option) {
  QStyleOptionButton o(option);
  o.rect = QRect(0, 0, 9, 9);
  QImage img(9, 9, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    w.style()->drawPrimitive(QStyle::PE_Widget, &o, &p, &w);
  }
  const QColor c = img.pixelColor(4, 4);
  if (c.alpha() == 0) return std::nullopt;
  // The face is opaque: a translucent rule colour counts at full strength.
  QColor opaque = c;
  opaque.setAlpha(255);
  return opaque;
}

// The button's text drawn with the text colour of the palette set to `pen`: a full block, large
// enough that its middle is solid whatever the font.
QColor text_in(const QWidget& w, const QStyleOptionButton& option, const QColor& pen) {
  QStyleOptionButton o(option);
  o.rect = QRect(0, 0, 64, 64);
  o.text = QStringLiteral("\u2588");
  o.icon = QIcon();
  o.features &= ~QStyleOptionButton::HasMenu;
  for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    o.palette.setColor(g, QPalette::ButtonText, pen);
    o.palette.setColor(g, QPalette::WindowText, pen);
    o.palette.setColor(g, QPalette::Text, pen);
  }
  QImage img(64, 64, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    QFont f = w.font();
    f.setPixelSize(40);
    p.setFont(f);
    w.style()->drawControl(QStyle::CE_PushButtonLabel, &o, &p, &w);
  }
  return img.pixelColor(32, 32);
}

// A rule's `color` is the colour the text is drawn in whatever the palette says.
std::optional<QColor> ink(const QWidget& w, const QStyleOptionButton& option) {
  const QColor a = text_in(w, option, QColor(255, 0, 0));
  if (a.alpha() != 255) return std::nullopt;
  const QColor b = text_in(w, option, QColor(0, 0, 255));
  if (a != b) return std::nullopt;
  return a;
}
}  // namespace

StyledColours StyleProbe::colours(const QWidget& button, const QStyleOptionButton& option) {
  // Only the style sheet style resolves rules; any other style draws from the palette, which
  // the control's system colours follow already.
  if (!button.style()->inherits("QStyleSheetStyle")) return {};
  const std::uint64_t key = key_of(option);
  if (const auto it = known_.find(key); it != known_.end()) return it->second;
  StyledColours c{background(button, option), ink(button, option)};
  known_.emplace(key, c);
  return c;
}

}  // namespace brelund::qt
