#include "host/qt/qt_children.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "brelund/error.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

int child_pixel(float twips) { return static_cast<int>(std::floor(twips / kTwipsPerPixel)); }

ForwardingView::ForwardingView(QWidget* parent) : QWidget(parent) {
  // Moves without a button must arrive too: they start the hover highlight.
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_TranslucentBackground);
}

void ForwardingView::forward(PointerAction a, QMouseEvent* e) {
  e->accept();
  if (on_pointer) on_pointer(a, *e);
}

void ForwardingView::mousePressEvent(QMouseEvent* e) { forward(PointerAction::down, e); }
void ForwardingView::mouseMoveEvent(QMouseEvent* e) { forward(PointerAction::move, e); }
void ForwardingView::mouseReleaseEvent(QMouseEvent* e) { forward(PointerAction::up, e); }

void CaptionView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  p.setPen(color);
  p.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void PictureView::paintEvent(QPaintEvent*) {
  if (image.isNull()) return;
  QPainter p(this);
  p.drawImage(0, 0, image);
}

Label::Label(CaptionView& view, host::Platform& platform)
    : StoredLabel(std::make_shared<const Font>()), view_(view), platform_(platform) {
  changed(host::Change::text);
}

void Label::changed(host::Change what) {
  switch (what) {
    case host::Change::text: {
      view_.text = QString::fromStdString(caption());
      view_.setFont(to_qfont(*font()));
      const QFontMetrics m(view_.font());
      view_.resize(m.horizontalAdvance(view_.text), m.height());
      measured(twips_of_pixels(view_.width()), twips_of_pixels(view_.height()));
      view_.update();
      break;
    }
    case host::Change::colour:
      restyle();
      break;
    case host::Change::tip:
      view_.setToolTip(QString::fromStdString(tool_tip_text()));
      break;
    case host::Change::position:
      view_.move(child_pixel(left()), child_pixel(top()));
      break;
    default:
      break;
  }
}

void Label::restyle() {
  view_.color = to_qcolor(platform_, fore_color());
  view_.update();
}

void Image::changed(host::Change what) {
  switch (what) {
    case host::Change::picture:
      view_.image = picture() ? to_qimage(*picture()) : QImage();
      place();
      break;
    case host::Change::visibility:
      view_.setVisible(visible() != 0);
      break;
    case host::Change::tip:
      view_.setToolTip(QString::fromStdString(tool_tip_text()));
      break;
    case host::Change::position:
      place();
      break;
    default:
      break;
  }
}

void Image::place() {
  view_.setGeometry(child_pixel(left()), child_pixel(top()), child_pixel(width()),
                    child_pixel(height()));
  view_.update();
}

Timer::Timer(std::function<void()> on_tick) {
  QObject::connect(&timer_, &QTimer::timeout, std::move(on_tick));
}

void Timer::set_enabled(bool on) {
  if (on == timer_.isActive()) return;
  if (on)
    timer_.start();
  else
    timer_.stop();
}

void Timer::set_interval(std::int32_t ms) {
  if (ms < 0) throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  timer_.setInterval(ms);
}

}  // namespace brelund::qt
