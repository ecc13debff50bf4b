#include "host/qt/qt_children.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "host/error.h"
#include "host/qt/qt_values.h"
#include "shape/region.h"

namespace brelund::qt {

namespace {
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u;
}

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
    : view_(view), platform_(platform), font_(std::make_shared<Font>()) {
  view_.setFont(to_qfont(*font_));
  remeasure();
}

void Label::set_caption(const std::string& text) {
  caption_ = text;
  view_.text = QString::fromStdString(text);
  remeasure();
}

void Label::set_font(FontRef f) {
  font_ = f ? std::move(f) : std::make_shared<Font>();
  view_.setFont(to_qfont(*font_));
  remeasure();
}

void Label::set_fore_color(OleColor c) {
  fore_ = c;
  restyle();
}

void Label::restyle() {
  view_.color = to_qcolor(platform_, fore_);
  view_.update();
}

void Label::set_tool_tip_text(const std::string& text) {
  tip_ = text;
  view_.setToolTip(QString::fromStdString(text));
}

void Label::set_left(float v) {
  left_ = v;
  view_.move(child_pixel(left_), child_pixel(top_));
}

void Label::set_top(float v) {
  top_ = v;
  view_.move(child_pixel(left_), child_pixel(top_));
}

void Label::remeasure() {
  const QFontMetrics m(view_.font());
  view_.resize(m.horizontalAdvance(view_.text), m.height());
  view_.update();
}

float Label::width() { return twips_of_pixels(view_.width()); }
float Label::height() { return twips_of_pixels(view_.height()); }

void Image::set_picture(PictureRef p) {
  picture_ = std::move(p);
  view_.image = picture_ ? to_qimage(*picture_) : QImage();
  // The image takes its picture's natural size; without an image it keeps the size it had.
  if (!view_.image.isNull()) {
    width_ = twips_of_pixels(view_.image.width());
    height_ = twips_of_pixels(view_.image.height());
  }
  place();
}

void Image::set_visible(Bool16 v) {
  visible_ = v;
  view_.setVisible(v != 0);
}

void Image::set_tool_tip_text(const std::string& text) {
  tip_ = text;
  view_.setToolTip(QString::fromStdString(text));
}

void Image::set_left(float v) {
  left_ = v;
  place();
}

void Image::set_top(float v) {
  top_ = v;
  place();
}

void Image::place() {
  view_.setGeometry(child_pixel(left_), child_pixel(top_), child_pixel(width_),
                    child_pixel(height_));
  view_.update();
}

void MaskCanvas::set_width(float twips) {
  width_ = twips;
  reshape();
}

void MaskCanvas::set_height(float twips) {
  height_ = twips;
  reshape();
}

void MaskCanvas::reshape() {
  const int w = pixels_of_twips(width_), h = pixels_of_twips(height_);
  // The persistent image keeps its content where the box still covers it; fresh area is white.
  if (w == raster_.width && h == raster_.height) return;
  Raster next;
  next.resize(w, h, kWhite);
  for (int y = 0; y < std::min(h, raster_.height); ++y)
    std::copy_n(raster_.row(y), std::min(w, raster_.width), next.row(y));
  raster_ = std::move(next);
}

void MaskCanvas::clear() { std::fill(raster_.pixels.begin(), raster_.pixels.end(), kWhite); }

void MaskCanvas::fill_black(const shape::Region& region) {
  shape::for_each_span(region, [&](int y, int l, int r) { raster_.fill_span(y, l, r, kBlack); });
}

PictureRef MaskCanvas::image() {
  return make_picture(raster_.width, raster_.height, raster_.pixels);
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
