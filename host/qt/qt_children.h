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

#include "host/host.h"
#include "host/raster.h"

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
class Label final : public host::Label {
 public:
  Label(CaptionView& view, host::Platform& platform);
  // Resolves the colour again (a system colour may have changed) and redraws.
  void restyle();

  std::string caption() override { return caption_; }
  void set_caption(const std::string& text) override;
  FontRef font() override { return font_; }
  void set_font(FontRef f) override;
  OleColor fore_color() override { return fore_; }
  void set_fore_color(OleColor c) override;
  std::string tool_tip_text() override { return tip_; }
  void set_tool_tip_text(const std::string& text) override;
  float left() override { return left_; }
  void set_left(float v) override;
  float top() override { return top_; }
  void set_top(float v) override;
  float width() override;
  float height() override;

 private:
  void remeasure();
  CaptionView& view_;
  host::Platform& platform_;
  std::string caption_;
  FontRef font_;
  OleColor fore_ = 0;
  std::string tip_;
  float left_ = 0, top_ = 0;
};

// Pic: shows its picture at the picture's natural size.
class Image final : public host::Image {
 public:
  explicit Image(PictureView& view) : view_(view) {}

  PictureRef picture() override { return picture_; }
  void set_picture(PictureRef p) override;
  Bool16 visible() override { return visible_; }
  void set_visible(Bool16 v) override;
  Bool16 enabled() override { return enabled_; }
  void set_enabled(Bool16 v) override { enabled_ = v; }
  std::string tool_tip_text() override { return tip_; }
  void set_tool_tip_text(const std::string& text) override;
  float left() override { return left_; }
  void set_left(float v) override;
  float top() override { return top_; }
  void set_top(float v) override;
  float width() override { return width_; }
  float height() override { return height_; }

 private:
  void place();
  PictureView& view_;
  PictureRef picture_;
  Bool16 visible_ = kFalse, enabled_ = kTrue;
  std::string tip_;
  float left_ = 120, top_ = 120, width_ = 250, height_ = 250;
};

// picMask: a hidden persistent image, white where the control is cut away.
class MaskCanvas final : public host::MaskCanvas {
 public:
  void set_width(float twips) override;
  void set_height(float twips) override;
  void clear() override;
  void fill_black(const shape::Region& region) override;
  PictureRef image() override;

 private:
  void reshape();
  float width_ = 0, height_ = 0;
  Raster raster_;
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
