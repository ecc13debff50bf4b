// The control's four children on Qt. The caption and the picture are windowless, as the control
// expects: the widget paints them over the face and routes the pointer to them by their place.
// The caption's text is the QPushButton's own text, one store for `Caption` and text(). The mask
// is an off-screen image that also remembers its shapes, so that the face can be cut at device
// resolution; the timer is a QTimer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QRect>
#include <QTimer>

#include "brelund/host.h"
#include "host/common/mask_image.h"
#include "host/common/stored_children.h"
#include "shape/region.h"

namespace brelund::qt {

// Label: the caption in its font and colour, sized to its text.
class Label final : public host::StoredLabel {
 public:
  Label(QAbstractButton& button, host::Platform& platform);

  std::string caption() override;
  void set_caption(const std::string& text) override;

  // The caption as painted: its font, its colour resolved now, its place in widget pixels.
  QFont qfont() const { return qfont_; }
  QColor colour();
  QRect rect();
  // A fixed measured size in twips instead of the font's (a trace pins it to compare hosts).
  void pin_size(std::optional<std::pair<float, float>> twips);
  // Called after the text or font changed and the caption was measured again.
  std::function<void()> on_measured;

 private:
  void changed(host::Change what) override;
  void measure();
  QAbstractButton& button_;
  host::Platform& platform_;
  QFont qfont_;
  std::optional<std::pair<float, float>> pinned_;
};

// Pic: shows its picture at the picture's natural size. A picture handed over as a pixmap of a
// higher device pixel ratio is kept as well, and painted at that resolution.
class Image final : public host::StoredImage {
 public:
  // The picture box as painted, in widget pixels; empty while hidden.
  QRect rect();
  const QImage& image() const noexcept { return image_; }
  // The pixmap `picture` was made from, when it has more pixels than its natural size.
  void remember_source(PictureRef picture, QPixmap source);
  QPixmap source_of(const PictureRef& picture) const;
  std::function<void()> on_changed;

 private:
  void changed(host::Change what) override;
  QImage image_;
  PictureRef sourced_;
  QPixmap source_;
};

// picMask: the shared mask image, and the shapes filled since the last clear.
class Mask final : public host::MaskCanvas {
 public:
  void set_width(float twips) override { image_.set_width(twips); }
  void set_height(float twips) override { image_.set_height(twips); }
  void clear() override;
  void fill_black(const shape::Region& region) override;
  PictureRef image() override { return image_.image(); }
  const std::vector<shape::Region>& regions() const noexcept { return regions_; }
  // The picture the surface shows now: drawing goes to the other buffer while it is shown.
  void shown_through(const PictureRef* surface_mask) noexcept {
    image_.shown_through(surface_mask);
  }

 private:
  MaskImage image_;
  std::vector<shape::Region> regions_;
};

class Timer final : public host::Timer {
 public:
  explicit Timer(std::function<void()> on_tick);
  bool enabled() override { return timer_.isActive(); }
  void set_enabled(bool on) override;
  std::int32_t interval() override { return timer_.interval(); }
  void set_interval(std::int32_t ms) override;

 private:
  QTimer timer_;
};

}  // namespace brelund::qt
