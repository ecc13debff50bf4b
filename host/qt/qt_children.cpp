#include "host/qt/qt_children.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTimerEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "brelund/error.h"
#include "brelund/units.h"
#include "host/common/caption_rule.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

namespace {
// Each line of the caption is drawn as a Qt button draws its text, Qt marking the underlined
// character; the lines come from the one caption rule (host/common/caption_rule.h), written in
// Qt's marking (marked() below).
constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

int px(float twips) { return units::position_pixels(twips); }
int extent(float twips) { return static_cast<int>(std::ceil(twips / units::kTwipsPerPixel)); }

QString qstring(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString marked(const host::CaptionLine& line) { return qstring(host::marked_line(line)); }

// The width of each line as drawn, in pixels.
std::vector<int> line_widths(const QFontMetrics& fm, const std::vector<host::CaptionLine>& lines) {
  std::vector<int> widths;
  for (const host::CaptionLine& line : lines)
    widths.push_back(fm.size(kTextFlags, marked(line)).width());
  return widths;
}
}  // namespace

Label::Label(QAbstractButton& button, host::Platform& platform)
    : StoredLabel(shared_from_qfont(button.font())),
      button_(button),
      platform_(platform),
      text_(button.text()) {}

std::string Label::caption() { return button_.text().toStdString(); }

void Label::set_caption(const std::string& text) {
  button_.QAbstractButton::setText(QString::fromStdString(text));
  changed(host::Change::text);
}

QColor Label::colour() { return to_qcolor(platform_, fore_color()); }

QRect Label::rect() { return {px(left()), px(top()), extent(width()), extent(height())}; }

float Label::width() {
  measure();
  return StoredLabel::width();
}

float Label::height() {
  measure();
  return StoredLabel::height();
}

QFont Label::qfont() {
  measure();
  return qfont_;
}

void Label::remeasure() {
  if (edits) edits->add();
  stale_ = true;
  text_ = button_.text();
  if (hooks) hooks->on_measured();
}

void Label::measure() {
  if (!stale_) return;
  stale_ = false;
  const FontRef f = font();
  qfont_ = caption_qfont(f ? *f : Font{});
  if (pinned()) return measured(0, 0);
  const QFontMetrics fm(qfont_);
  const std::string text = text_.toStdString();
  QSize size;
  if (host::plain_caption(text)) {
    size = fm.size(kTextFlags, text_);
  } else {
    const std::vector<host::CaptionLine> lines = host::caption_lines(text);
    const std::vector<int> widths = line_widths(fm, lines);
    const long long height =
        static_cast<long long>(fm.height()) * static_cast<long long>(lines.size());
    size = {*std::max_element(widths.begin(), widths.end()),
            static_cast<int>(std::min<long long>(height, INT_MAX))};
  }
  measured(units::twips_of_pixels(size.width()), units::twips_of_pixels(size.height()));
}

// The caption is already placed (and mirrored) where the control laid it out. The painter takes
// its direction from the application, not the widget: without AlignAbsolute a right-to-left
// application turns AlignLeft into AlignRight and draws at the far end of the open-ended
// rectangle, out of sight.
void Label::paint(QPainter& p, const QRect& at, const std::optional<QColor>& ink) {
  const QString text = button_.text();
  if (text.isEmpty()) return;
  p.setFont(qfont());
  p.setPen(ink ? *ink : colour());
  const std::string utf8 = text.toStdString();
  if (host::plain_caption(utf8)) {
    p.drawText(at.x(), at.y(), 1 << 20, 1 << 20,
               Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | kTextFlags, text);
    return;
  }
  const QFontMetrics fm(qfont_);
  const std::vector<host::CaptionLine> lines = host::caption_lines(utf8);
  const std::vector<int> widths = line_widths(fm, lines);
  const int box = *std::max_element(widths.begin(), widths.end());
  const QRect clip = p.hasClipping() ? p.clipBoundingRect().toAlignedRect() : QRect();
  long long top = at.y();
  for (std::size_t i = 0; i < lines.size(); ++i, top += fm.height()) {
    if (top > INT_MAX - (1 << 20)) break;
    const QRect line(at.x() + host::centred_offset(box, widths[i]), static_cast<int>(top), 1 << 20,
                     fm.height());
    if (!clip.isNull() && !clip.intersects(line)) continue;
    p.drawText(line.x(), line.y(), 1 << 20, 1 << 20,
               Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | kTextFlags, marked(lines[i]));
  }
}

void Label::set_left(float v) {
  StoredLabel::set_left(v);
  if (hooks) hooks->on_placed();
}

void Label::changed(host::Change what) {
  if (edits) edits->add();
  switch (what) {
    case host::Change::text:
    case host::Change::measure:
      remeasure();
      break;
    case host::Change::tip:
      button_.setToolTip(QString::fromStdString(tool_tip_text()));
      break;
    case host::Change::colour:
      button_.update();
      break;
    case host::Change::position:
      button_.update();
      break;
    default:
      break;
  }
}

QRect Image::rect() {
  if (visible() == 0) return {};
  return {px(left()), px(top()), extent(width()), extent(height())};
}

const QImage& Image::image() const noexcept {
  static const QImage none;
  return shown_ ? shown_->image : none;
}

void Image::remember_source(PictureRef picture, QPixmap source) {
  if (!shown_) {
    if (!picture) return;  // nothing was remembered, and nothing is
    shown_ = std::make_unique<Shown>();
  }
  shown_->sourced = std::move(picture);
  shown_->source = std::move(source);
}

QPixmap Image::source_of(const PictureRef& picture) const {
  return shown_ && picture && picture == shown_->sourced ? shown_->source : QPixmap();
}

void Image::changed(host::Change what) {
  if (edits) edits->add();
  if (what == host::Change::picture) {
    if (picture()) {
      QImage image = to_qimage(*picture());
      if (!shown_) shown_ = std::make_unique<Shown>();
      shown_->image = std::move(image);
      if (picture() != shown_->sourced) remember_source(nullptr, {});
    } else {
      shown_.reset();
    }
  }
  if (hooks) hooks->on_picture_changed();
}

namespace {
// The masks made lately that some button still shows, each with the size and shapes it was made
// from, the newest first. One that only this list still holds is let go, so that no mask
// outlives the buttons that showed it. Widgets live on one thread; each thread keeps its own.
struct MadeMask {
  int width, height;
  std::vector<shape::Region> shapes;
  MaskRef mask;
};
constexpr std::size_t kMadeMasks = 8;
thread_local std::vector<MadeMask> made_masks;

void forget_unshown_masks() {
  std::erase_if(made_masks, [](const MadeMask& m) { return m.mask.use_count() == 1; });
}

MaskRef made_mask(int width, int height, const std::vector<shape::Region>& shapes) {
  forget_unshown_masks();
  for (auto it = made_masks.begin(); it != made_masks.end(); ++it)
    if (it->width == width && it->height == height && it->shapes == shapes) {
      std::rotate(made_masks.begin(), it, it + 1);
      return made_masks.front().mask;
    }
  return nullptr;
}

void remember_mask(int width, int height, const std::vector<shape::Region>& shapes, MaskRef mask) {
  if (made_masks.size() == kMadeMasks) made_masks.pop_back();
  made_masks.insert(made_masks.begin(), MadeMask{width, height, shapes, std::move(mask)});
}
}  // namespace

void Mask::resized(int& pixels, float twips) {
  if (edits) edits->add();
  pixels = units::extent_pixels(twips);
}

void Mask::draw_held() {
  if (!held_) return;
  held_ = false;
  for (const shape::Region& r : regions_) image_.fill_black(r);
}

void Mask::set_width(float twips) {
  draw_held();
  image_.set_width(twips);
  resized(width_, twips);
}

void Mask::set_height(float twips) {
  draw_held();
  image_.set_height(twips);
  resized(height_, twips);
}

void Mask::clear() {
  if (edits) edits->add();
  image_.clear();
  regions_.clear();
  held_ = !may_share || may_share();
}

void Mask::fill_black(const shape::Region& region) {
  if (edits) edits->add();
  regions_.push_back(region);
  if (!held_) image_.fill_black(region);
}

MaskRef Mask::image() {
  if (!held_) return image_.image();
  // Cleared and filled with these shapes only, at this size: a mask made of the same is the
  // same mask, pixel for pixel.
  held_ = false;
  if (MaskRef mask = made_mask(width_, height_, regions_)) {
    image_.adopt(mask);
    return mask;
  }
  for (const shape::Region& r : regions_) image_.fill_black(r);
  MaskRef mask = image_.image();
  remember_mask(width_, height_, regions_, mask);
  return mask;
}

void Timer::set_enabled(bool on) {
  if (on == timer_.isActive()) return;
  if (on)
    timer_.start(interval_, &receiver_);
  else
    timer_.stop();
}

void Timer::set_interval(std::int32_t ms) {
  if (ms < 0) throw Error(errors::kInvalidPropertyValue, "Invalid property value");
  interval_ = ms;
  if (timer_.isActive()) timer_.start(interval_, &receiver_);
}

bool Timer::take(const QTimerEvent& e) {
  if (!timer_.isActive() || e.timerId() != timer_.timerId()) return false;
  hooks_.on_tick();
  return true;
}

void Timer::fire() {
  if (!timer_.isActive()) return;
  QTimerEvent e(timer_.timerId());
  QCoreApplication::sendEvent(&receiver_, &e);
}

}  // namespace brelund::qt
