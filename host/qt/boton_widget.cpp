#include "brelund/qt/boton_widget.h"
#include "brelund/units.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtDebug>

#include "brelund/raster.h"
#include "control/design.h"
#include "host/common/forms/form_bag.h"
#include "host/qt/qt_input.h"
#include "host/qt/qt_values.h"

namespace brelund::qt {

// The application's side of the control: every event becomes the widget's signal, with the
// control's own argument storage bound to the signal's reference parameters.
class BotonWidget::Sink final : public host::EventSink {
 public:
  explicit Sink(BotonWidget& w) : w_(w) {}
  void Click() override { emit w_.click(); }
  void KeyDown(std::int16_t& k, std::int16_t& s) override { emit w_.keyDown(k, s); }
  void KeyPress(std::int16_t& k) override { emit w_.keyPress(k); }
  void KeyUp(std::int16_t& k, std::int16_t& s) override { emit w_.keyUp(k, s); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    emit w_.mouseDown(b, s, x, y);
  }
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    emit w_.mouseMove(b, s, x, y);
  }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
    emit w_.mouseUp(b, s, x, y);
  }
  void Resize() override { emit w_.resized(); }

 private:
  BotonWidget& w_;
};

BotonWidget::BotonWidget(QWidget* parent, FontRef ambient)
    : BotonWidget(parent, std::move(ambient), Start::init) {}

BotonWidget::BotonWidget(QWidget* parent, FontRef ambient, Start start)
    : QWidget(parent),
      hwnd_(next_window_handle()),
      surface_(*this, hwnd_),
      caption_view_(new CaptionView(this)),
      picture_view_(new PictureView(this)),
      label_(*caption_view_, platform_),
      pic_(*picture_view_),
      timer_([this] { deliver([this] { control_->Timer1_Timer(); }); }),
      sink_(std::make_unique<Sink>(*this)) {
  mask_.shown_through(&surface_.mask_picture());
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  // Not marked opaque although the face covers every pixel inside the mask: Qt unites the shapes
  // of all opaque siblings before it paints their parent, and with a thousand shaped buttons
  // that union costs far more than painting the parent's background under them.
  // The caption and the picture are part of the control's own window for the pointer test.
  set_window_handle(*this, hwnd_);
  set_window_handle(*caption_view_, hwnd_);
  set_window_handle(*picture_view_, hwnd_);
  caption_view_->on_pointer = [this](PointerAction a, QMouseEvent& e) {
    child_pointer(*caption_view_, true, a, e);
  };
  picture_view_->on_pointer = [this](PointerAction a, QMouseEvent& e) {
    child_pointer(*picture_view_, pic_.enabled() != 0, a, e);
  };
  surface_.on_property_changed = [this](std::string_view name) {
    emit propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  };
  surface_.set_ambient_font(std::move(ambient));
  surface_.set_size(design::kWidth, design::kHeight);
  host::Services services{surface_, label_, pic_, mask_, timer_, platform_, *sink_, nullptr};
  design::apply_design(services);
  control_ = std::make_unique<Boton>(services);
  if (start == Start::init) deliver([this] { control_->InitProperties(); });
}

BotonWidget* BotonWidget::load(const forms::Control& entry, const std::string& file,
                               FontRef ambient, QWidget* parent) {
  auto w = std::unique_ptr<BotonWidget>(new BotonWidget(parent, std::move(ambient), Start::later));
  w->setObjectName(QString::fromStdString(entry.name));
  w->surface_.set_extender(entry.is_default, entry.is_cancel);
  w->surface_.set_size(entry.width, entry.height);
  forms::read_properties(*w->control_, entry, file);
  w->move(units::extent_pixels(entry.left), units::extent_pixels(entry.top));
  return w.release();
}

BotonWidget::~BotonWidget() {
  // The timer must not tick into a control that is being torn down.
  timer_.set_enabled(false);
}

void BotonWidget::report(const Status& s) {
  qWarning("Boton %s: error %d: %s", qPrintable(objectName()), s.number, s.description.c_str());
  emit error(s.number, QString::fromStdString(s.description));
}

bool BotonWidget::isDefault() const {
  return const_cast<Surface&>(surface_).extender_default().value_or(false);
}
bool BotonWidget::isCancel() const {
  return const_cast<Surface&>(surface_).extender_cancel().value_or(false);
}
void BotonWidget::setDefault(bool on) { surface_.set_extender(on, isCancel()); }
void BotonWidget::setCancel(bool on) { surface_.set_extender(isDefault(), on); }

void BotonWidget::setExtent(float width_twips, float height_twips) {
  surface_.set_size(width_twips, height_twips);
  deliver([this] { control_->Resize(); });
}

void BotonWidget::accessKeyPress(short key_ascii) {
  std::int16_t k = key_ascii;
  deliver([&] { control_->AccessKeyPress(k); });
}

forms::Properties BotonWidget::saveProperties() {
  forms::Properties saved;
  deliver([&] { saved = forms::write_properties(*control_); });
  return saved;
}

QImage BotonWidget::face() const {
  const Raster& r = surface_.pixels();
  if (r.width == 0 || r.height == 0) return {};
  return QImage(reinterpret_cast<const uchar*>(r.pixels.data()), r.width, r.height, r.width * 4,
                QImage::Format_ARGB32)
      .copy();
}

QSize BotonWidget::sizeHint() const {
  const Raster& r = surface_.pixels();
  return {r.width, r.height};
}

void BotonWidget::paintEvent(QPaintEvent* e) {
  const Raster& r = surface_.pixels();
  QPainter p(this);
  p.setClipRegion(e->region());
  p.drawImage(0, 0,
              QImage(reinterpret_cast<const uchar*>(r.pixels.data()), r.width, r.height,
                     r.width * 4, QImage::Format_ARGB32));
}

void BotonWidget::resizeEvent(QResizeEvent*) {
  // A size that the application or a layout gives the widget is the control's new extent; the
  // sizes we set ourselves through setExtent are already the surface's.
  const Raster& r = surface_.pixels();
  if (width() == r.width && height() == r.height) return;
  setExtent(twips_of_pixels(width()), twips_of_pixels(height()));
}

void BotonWidget::showEvent(QShowEvent*) {
  deliver([this] { control_->Show(); });
}

void BotonWidget::pointer(PointerAction action, QMouseEvent& e, QPointF at) {
  std::int16_t button = button_code(action == PointerAction::move ? e.buttons() : e.button());
  std::int16_t shift = shift_code(e.modifiers());
  float x = twips_of_pixels(at.x()), y = twips_of_pixels(at.y());
  deliver([&] {
    switch (action) {
      case PointerAction::down:
        control_->MouseDown(button, shift, x, y);
        break;
      case PointerAction::move:
        control_->MouseMove(button, shift, x, y);
        break;
      case PointerAction::up:
        control_->MouseUp(button, shift, x, y);
        break;
    }
  });
}

void BotonWidget::child_pointer(ForwardingView& view, bool enabled, PointerAction action,
                                QMouseEvent& e) {
  // A disabled picture box does not report on its own: the press belongs to the surface below
  // it, with the surface's coordinates.
  pointer(action, e, enabled ? e.position() : view.mapToParent(e.position()));
}

void BotonWidget::mousePressEvent(QMouseEvent* e) {
  pointer(PointerAction::down, *e, e->position());
}
void BotonWidget::mouseMoveEvent(QMouseEvent* e) {
  pointer(PointerAction::move, *e, e->position());
}
void BotonWidget::mouseReleaseEvent(QMouseEvent* e) {
  pointer(PointerAction::up, *e, e->position());
}
// The control handles no double click: Qt reports it in place of the second press, and the
// control sees only the release that follows, as it would on the desktop.
void BotonWidget::mouseDoubleClickEvent(QMouseEvent* e) { e->accept(); }

void BotonWidget::keyPressEvent(QKeyEvent* e) {
  e->accept();
  std::int16_t shift = shift_code(e->modifiers());
  if (std::int16_t code = key_code(e->key(), e->modifiers()); code != 0)
    deliver([&] { control_->KeyDown(code, shift); });
  if (!e->text().isEmpty() && e->text().at(0).unicode() < 0x8000) {
    std::int16_t ascii = static_cast<std::int16_t>(e->text().at(0).unicode());
    deliver([&] { control_->KeyPress(ascii); });
  }
}

void BotonWidget::keyReleaseEvent(QKeyEvent* e) {
  e->accept();
  // Auto-repeat repeats the press only; the one release comes when the key is let go.
  if (e->isAutoRepeat()) return;
  std::int16_t shift = shift_code(e->modifiers());
  if (std::int16_t code = key_code(e->key(), e->modifiers()); code != 0)
    deliver([&] { control_->KeyUp(code, shift); });
}

void BotonWidget::focusInEvent(QFocusEvent*) {
  if (focused_) return;
  focused_ = true;
  deliver([this] { control_->EnterFocus(); });
  deliver([this] { control_->GotFocus(); });
}

void BotonWidget::focusOutEvent(QFocusEvent*) {
  if (!focused_) return;
  focused_ = false;
  deliver([this] { control_->LostFocus(); });
  deliver([this] { control_->ExitFocus(); });
}

}  // namespace brelund::qt
