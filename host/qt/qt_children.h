// The control's four children on Qt. The caption and the picture are windowless, as the control
// expects: the widget paints them over the face and routes the pointer to them by their place.
// The caption's text is the QPushButton's own text, one store for `Caption` and text(). The mask
// is an off-screen image that also remembers its shapes, so that the face can be cut at device
// resolution; the timer runs on the button's own timer events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QBasicTimer>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QTimerEvent>

#include "brelund/host.h"
#include "host/common/mask_image.h"
#include "host/common/stored_children.h"
#include "host/qt/widget_hooks.h"
#include "shape/region.h"

namespace brelund::qt {

// A count of the changes to what the surface, caption, picture box and mask hold. Each of them
// adds to the one count of its widget, so that a rebuild that would find the count where the last
// rebuild left it (and the control's fields and the pixel ratio as they were) is known to draw
// exactly what is already there.
struct Edits {
  std::uint64_t count = 0;
  void add() noexcept { ++count; }
};

// Label: the caption in its font and colour, sized to its text.
class Label final : public host::StoredLabel {
 public:
  Label(QAbstractButton& button, host::Platform& platform);

  std::string caption() override;
  void set_caption(const std::string& text) override;

  // The size of the caption in its font, measured when it is asked for after a change.
  float width() override;
  float height() override;
  // The caption as painted: its font, its colour resolved now, its place in widget pixels.
  QFont qfont();
  QColor colour();
  QRect rect();
  // Paints the caption with its box's top-left corner at `at`'s, each line centred in the box, in
  // its own colour or in `ink` (a style sheet's).
  void paint(QPainter& p, const QRect& at, const std::optional<QColor>& ink = std::nullopt);
  // The text as it was when it or the font changed last.
  const QString& text() const noexcept { return text_; }
  // The layout places the caption's left side last: the widget hears of it then.
  void set_left(float v) override;
  // The widget, told after the text or font changed (the caption is measured again when asked
  // for) and after the caption was placed.
  WidgetHooks* hooks = nullptr;
  Edits* edits = nullptr;

 private:
  void changed(host::Change what) override;
  // The text or font changed: measured again when the size or the font is next asked for. A
  // new button's caption changes three times (design, container font, the application's
  // caption) before anything reads its size, and measuring lays the text out.
  void remeasure();
  void measure();
  QAbstractButton& button_;
  host::Platform& platform_;
  QFont qfont_;
  QString text_;  // the text as it was when it changed last
  bool stale_ = true;
};

// Pic: shows its picture at the picture's natural size. A picture handed over as a pixmap of a
// higher device pixel ratio is kept as well, and painted at that resolution.
class Image final : public host::StoredImage {
 public:
  // The picture box as painted, in widget pixels; empty while hidden.
  QRect rect();
  // The picture as Qt paints it; a null image without one.
  const QImage& image() const noexcept;
  // The pixmap `picture` was made from, when it has more pixels than its natural size.
  void remember_source(PictureRef picture, QPixmap source);
  QPixmap source_of(const PictureRef& picture) const;
  // The widget, told after a picture was set or cleared.
  WidgetHooks* hooks = nullptr;
  Edits* edits = nullptr;

 private:
  void changed(host::Change what) override;
  // Made when the box is first given a picture: most buttons never show one.
  struct Shown {
    QImage image;
    PictureRef sourced;
    QPixmap source;
  };
  std::unique_ptr<Shown> shown_;
};

// picMask: the mask image, and the shapes filled since the last clear. Buttons of the same size
// and shape have the same mask: a mask cleared and filled with shapes that another mask was made
// of lately is handed that mask instead of making its own (a window of many like buttons then
// keeps one mask per size and shape, not one per button, and makes it once).
class Mask final : public host::MaskCanvas {
 public:
  void set_width(float twips) override;
  void set_height(float twips) override;
  void clear() override;
  void fill_black(const shape::Region& region) override;
  MaskRef image() override;
  const std::vector<shape::Region>& regions() const noexcept { return regions_; }
  Edits* edits = nullptr;
  // False while a watching tool (a trace) sees each mask: it is then always made anew.
  std::function<bool()> may_share;

 private:
  void resized(int& pixels, float twips);
  // Draws the shapes held back since the clear.
  void draw_held();
  MaskImage image_;
  std::vector<shape::Region> regions_;
  int width_ = 0, height_ = 0;  // in pixels, as the image has them
  // Since the clear, the shapes are only noted: the mask may be one made already.
  bool held_ = false;
};

// Timer1 as a basic timer of the button: a QTimer of its own would cost every button a QObject,
// its private data and a connection, for a timer that runs only while the pointer is over it.
class Timer final : public host::Timer {
 public:
  // Ticks through `receiver`'s timer events, which it hands to take(); each tick goes to `hooks`.
  Timer(QObject& receiver, WidgetHooks& hooks) : receiver_(receiver), hooks_(hooks) {}
  bool enabled() override { return timer_.isActive(); }
  void set_enabled(bool on) override;
  std::int32_t interval() override { return interval_; }
  // A running timer starts its new period now, as QTimer's does.
  void set_interval(std::int32_t ms) override;
  // True when `e` is this timer's, which has ticked then (the tick may have deleted the receiver).
  bool take(const QTimerEvent& e);
  // One period passes now: the receiver gets the timer's event, as if its interval had run out
  // (a trace keeps the clock). Nothing happens while it is stopped.
  void fire();

 private:
  QObject& receiver_;
  WidgetHooks& hooks_;
  QBasicTimer timer_;
  std::int32_t interval_ = 0;
};

}  // namespace brelund::qt
