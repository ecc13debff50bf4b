// The control's four children on Qt. The caption and the picture are child widgets that draw
// over the face and pass their pointer notifications on with their own coordinates; the mask is
// an off-screen raster; the timer is a QTimer.
#pragma once

#include <functional>
#include <string>

#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "brelund/host.h"
#include "brelund/raster.h"
#include "host/common/stored_children.h"

namespace brelund::qt {

enum class PointerAction { down, move, up };
using PointerHandler = std::function<void(PointerAction, QMouseEvent&)>;

// A windowless-looking child widget whose pointer notifications go to the control.
class ForwardingView : public QWidget {
 public:
  explicit ForwardingView(QWidget* parent);
  PointerHandler on_pointer;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  // The control handles no double click; the second press of one is simply not reported.
  void mouseDoubleClickEvent(QMouseEvent* e) override { e->accept(); }

 private:
  void forward(PointerAction a, QMouseEvent* e);
};

class CaptionView final : public ForwardingView {
 public:
  using ForwardingView::ForwardingView;
  QString text;
  QColor color;

 protected:
  void paintEvent(QPaintEvent*) override;
};

class PictureView final : public ForwardingView {
 public:
  using ForwardingView::ForwardingView;
  QImage image;

 protected:
  void paintEvent(QPaintEvent*) override;
};

// Label: caption, font and colour shown by a CaptionView sized to its text.
class Label final : public host::StoredLabel {
 public:
  Label(CaptionView& view, host::Platform& platform);
  // Resolves the colour again (a system colour may have changed) and redraws.
  void restyle();

 private:
  void changed(host::Change what) override;
  CaptionView& view_;
  host::Platform& platform_;
};

// Pic: shows its picture at the picture's natural size.
class Image final : public host::StoredImage {
 public:
  explicit Image(PictureView& view) : view_(view) {}

 private:
  void changed(host::Change what) override;
  void place();
  PictureView& view_;
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

// Twips to the pixel the headless compositor uses for a child's position.
int child_pixel(float twips);

}  // namespace brelund::qt
