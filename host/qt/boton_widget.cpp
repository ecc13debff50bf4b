// BotonWidget: building the control on its Qt host objects, the application's side of its
// events, and the theme and state changes Qt reports. Input is in boton_input.cpp, painting and
// sizing in boton_paint.cpp, the published properties in boton_properties.cpp.
#include <QButtonGroup>
#include <QHelpEvent>
#include <QToolTip>
#include <QtDebug>

#include "brelund/units.h"
#include "host/common/property_bag.h"
#include "host/qt/access.h"
#include "host/qt/boton_private.h"
#include "host/qt/qt_values.h"
#include "render/colour.h"

namespace brelund::qt {

// The application's side of the control: every event becomes the widget's signal, with the
// control's own argument storage bound to the signal's reference parameters. Before each event the
// Qt button's pressed state follows the control's, so that pressed() and released() come in the
// order Qt's buttons give them (released before clicked). A slot may delete the widget: nothing
// here is touched after a signal unless the widget is still there.
void BotonWidget::Private::Sink::Click() {
  BotonWidget& w = d_.w;
  QPointer<BotonWidget> self(&w);
  // A click of the control's own press (mouse, Space, Enter, Escape) is the button's click, which
  // the control's release reports; within Qt's own press (click(), a shortcut) QAbstractButton
  // has changed the check state and reports the click itself.
  const bool own = d_.down_is_controls;
  if (!ready()) return;
  if (own && !d_.toggle()) return;
  emit w.Click();
  if (!self || !own) return;
  emit w.clicked(w.isChecked());
  if (self) d_.tell_group(&QButtonGroup::idClicked, &QButtonGroup::buttonClicked);
}

void BotonWidget::Private::Sink::KeyDown(std::int16_t& k, std::int16_t& s) {
  if (ready()) emit d_.w.KeyDown(k, s);
}

void BotonWidget::Private::Sink::KeyPress(std::int16_t& k) {
  if (ready()) emit d_.w.KeyPress(k);
}

void BotonWidget::Private::Sink::KeyUp(std::int16_t& k, std::int16_t& s) {
  if (ready()) emit d_.w.KeyUp(k, s);
}

void BotonWidget::Private::Sink::MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  if (ready()) emit d_.w.MouseDown(b, s, x, y);
}

void BotonWidget::Private::Sink::MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  if (ready()) emit d_.w.MouseMove(b, s, x, y);
}

void BotonWidget::Private::Sink::MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) {
  if (ready()) emit d_.w.MouseUp(b, s, x, y);
}

void BotonWidget::Private::Sink::Resize() {
  d_.surface.forget_ratio();
  emit d_.w.Resize();
}

bool BotonWidget::Private::Sink::ready() {
  d_.surface.forget_ratio();
  return d_.sync_down();
}

BotonWidget::Private::Private(BotonWidget& widget, const Options&)
    : w(widget),
      hwnd(next_window_handle()),
      platform(&widget),
      surface(widget, hwnd),
      label(widget, platform),
      timer(widget, *this),
      sink(*this) {}

void BotonWidget::Private::on_rebuilt() {
  if (instance) rebuilt = Rebuilt{edits.count, instance->control().fields(), surface.ratio()};
}

void BotonWidget::Private::on_property_changed(std::string_view name) {
  QPointer<BotonWidget> self(&w);
  w.updateGeometry();
  emit w.propertyChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
  // A slot that deleted the button ends the member it was notified from.
  if (!self) throw ControlGone{};
}

void BotonWidget::Private::on_measured() {
  push_font();
  w.updateGeometry();
  w.update();
}

// After each layout of the control, the icon takes the picture's place while it is shown.
void BotonWidget::Private::on_placed() {
  if (laying_icon || !icon_shown() || !instance) return;
  if (const PictureRef picture = pic.picture(); picture && picture->handle != 0) return;
  lay_out_icon(instance->control().pressed());
}

// A Picture set or cleared: the icon gives way or comes back before the control lays out.
void BotonWidget::Private::on_picture_changed() {
  update_icon();
  w.updateGeometry();
  w.update();
}

void BotonWidget::Private::on_tick() {
  run([this] { return instance->tick(); });
}

BotonWidget::Private::~Private() {
  // The timer must not tick into a control that is being torn down.
  timer.set_enabled(false);
  unwatch_window();
}

BotonWidget::BotonWidget(QWidget* parent) : BotonWidget(parent, Options{}) {}

BotonWidget::BotonWidget(const QString& text, QWidget* parent) : BotonWidget(parent) {
  setCaption(text);
}

BotonWidget::BotonWidget(QWidget* parent, const Options& options)
    : QPushButton(parent), d_(std::make_unique<Private>(*this, options)) {
  Private& d = *d_;
  setMouseTracking(true);
  // Not marked opaque although the face covers every pixel inside the mask: Qt unites the shapes
  // of all opaque siblings before it paints their parent, and with a thousand shaped buttons
  // that union costs far more than painting the parent's background under them. (On high-DPI
  // screens the parent must show through the corners' partly covered pixels anyway.)
  d.surface.regions = &d.mask.regions();
  d.surface.edits = d.label.edits = d.pic.edits = d.mask.edits = &d.edits;
  d.mask.may_share = [this] { return !d_->tool_attached(); };
  d.surface.hooks = d.label.hooks = d.pic.hooks = &d;
  if (options.ambient) {
    d.surface.ambient_given = true;
    d.surface.set_ambient_font(options.ambient);
  } else {
    d.surface.set_ambient_font(shared_from_qfont(font()));
  }
  d.instance.emplace(d.surface, d.label, d.pic, d.mask, d.timer, d.platform, d.sink);
  d.instance->set_mirrored(layoutDirection() == Qt::RightToLeft);
  // The caption starts in the container's font, as a control placed on a form does.
  d.label.set_font(d.surface.ambient_font());
  d.watch_window();
  if (options.init) d.run([&] { return d.instance->init(); });
}

BotonWidget::~BotonWidget() = default;

bool BotonWidget::Private::settle(const Status& s) {
  if (!s.ok()) {
    surface.forget_ratio();
    QPointer<BotonWidget> self(&w);
    qWarning("Boton %s: error %d: %s", qPrintable(w.objectName()), s.number, s.description.c_str());
    emit w.error(s.number, QString::fromStdString(s.description));
    if (!self) return false;
  }
  return sync_down();
}

bool BotonWidget::Private::sync_down() {
  if (!instance) return true;
  const bool pressed = instance->control().pressed();
  if (down_is_controls && !w.isDown()) {
    down_is_controls = false;
    return !pressed || let_go();
  }
  if (pressed && !w.isDown()) return set_down(true);
  if (!pressed && down_is_controls) return set_down(false);
  return true;
}

bool BotonWidget::Private::set_down(bool pressed) {
  surface.forget_ratio();
  down_is_controls = pressed;
  w.setDown(pressed);
  QPointer<BotonWidget> self(&w);
  if (pressed)
    emit w.pressed();
  else
    emit w.released();
  if (!self) return false;
  if (!pressed) return tell_group(&QButtonGroup::idReleased, &QButtonGroup::buttonReleased);
  if (!tell_group(&QButtonGroup::idPressed, &QButtonGroup::buttonPressed)) return false;
  // QPushButton runs its menu from pressed() and lets the button up when the menu closes.
  return sync_down();
}

bool BotonWidget::Private::let_go() {
  if (!instance->captured()) {
    keys.down().clear();
    return !instance->control().pressed() || run([&] { return instance->let_go(); });
  }
  // The control hears the release away from the button (no Click), as when the pointer is let
  // go elsewhere; the real release, when it comes, is no longer the control's.
  const float off = units::twips_of_pixels(-1);
  return run([&] {
    platform.pin_pointer(w.mapToGlobal(QPoint(-(1 << 20), -(1 << 20))));
    const Status s = instance->pointer(host::PointerAction::up, 1, 0, off, off);
    if (!s.gone) platform.unpin_pointer();
    return s;
  });
}

bool BotonWidget::Private::tell_group(void (QButtonGroup::*by_id)(int),
                                      void (QButtonGroup::*by_button)(QAbstractButton*)) {
  QPointer<BotonWidget> self(&w);
  if (QButtonGroup* g = w.group()) emit(g->*by_id)(g->id(&w));
  // A slot may have taken the button out of its group, or deleted either.
  if (self)
    if (QButtonGroup* g = w.group()) emit(g->*by_button)(&w);
  return !self.isNull();
}

bool BotonWidget::Private::toggle() {
  if (!w.isCheckable()) return true;
  QPointer<BotonWidget> self(&w);
  w.QPushButton::nextCheckState();
  return !self.isNull();
}

void BotonWidget::Private::sync_text() {
  if (!instance || w.text() == shown_text()) return;
  const std::string text = w.text().toStdString();
  call([&](Boton& c) { c.set_Caption(text); });
}

void BotonWidget::Private::rebuild() {
  // Nothing is drawn before the first Show or Resize; that one builds with what holds then.
  if (!surface.mask_picture()) return;
  call([](Boton& c) { c.CreaNuevaRegion(); });
}

void BotonWidget::Private::rethemed() {
  if (!instance) return;
  // The stores that hold a system colour resolved (BackColor on the surface, ForeColor on an
  // enabled caption) resolve it again, by the control's own rule; those holding the colour as
  // assigned (a load and Enabled hand it over so) resolve it when drawn. What the rule leaves as
  // it is, is no system colour (as the control's colours are before it is initialised).
  const bool ok = call([&](Boton& c) {
    const OleColor back = c.BackColorOriginal();
    if (const OleColor now = SysColorToRgb(platform, back);
        now != back && surface.back_color() != back)
      surface.set_back_color(now);
    const OleColor fore = c.fields().m_ForeColor;
    if (const OleColor now = SysColorToRgb(platform, fore);
        now != fore && surface.enabled() && label.fore_color() != fore)
      label.set_fore_color(now);
  });
  if (ok) rebuild();
}

// One font: the caption's font is the widget's font(), as Qt resolves it (a style sheet's font,
// else the font set on the button, else its parent's or the application's). A font set through
// the control (the Font property, a load, a container's font) is set on the widget, so that it
// is an explicitly set font and wins over the parent's and the application's; a font that Qt
// gives the widget becomes the control's Font, notified once.
void BotonWidget::Private::refont() {
  if (!instance || pushing_font) return;
  const QFont now = w.font();
  if (now == pushed_font) return;
  const FontRef next = from_qfont(now);
  if (!surface.ambient_given) surface.set_ambient_font(next);
  if (const FontRef current = label.font(); current && *current == *next) return;
  call([&](Boton& c) { c.set_Font(next); });
}

void BotonWidget::Private::push_font() {
  const FontRef f = label.font();
  if (!f || pushing_font) return;
  if (const FontRef have = from_qfont(w.font()); have && *have == *f) return;
  pushing_font = true;
  w.setFont(to_qfont(*f));
  pushing_font = false;
  pushed_font = w.font();
}

void BotonWidget::Private::enabled_changed() {
  if (!instance) return;
  const bool qt_own = !w.testAttribute(Qt::WA_ForceDisabled);
  if (qt_own != (surface.own_enabled() != 0)) {
    // QWidget::setEnabled on the button: the control's Enabled takes it.
    call([&](Boton& c) { c.set_Enabled(to_bool16(qt_own)); });
    return;
  }
  // An ancestor was disabled or enabled: the face shows it, the control's setting stays.
  if (surface.enabled()) {
    const bool ok = call([&](Boton& c) { label.set_fore_color(c.fields().m_ForeColor); });
    if (!ok) return;
  }
  rebuild();
}

bool BotonWidget::event(QEvent* e) {
  if (d_ && d_->instance) {
    Private& d = *d_;
    switch (e->type()) {
      case QEvent::ToolTip: {
        // The tool tip belongs to the caption and the picture, not to the face around them.
        const auto* help = static_cast<QHelpEvent*>(e);
        QString tip;
        QRect area;
        if (const QRect r = d.caption_rect(); r.contains(help->pos())) {
          tip = QString::fromStdString(d.label.tool_tip_text());
          area = r;
        } else if (const QRect p = d.picture_rect(); p.contains(help->pos())) {
          tip = QString::fromStdString(d.pic.tool_tip_text());
          area = p;
        }
        if (tip.isEmpty()) {
          QToolTip::hideText();
          e->ignore();
        } else {
          QToolTip::showText(help->globalPos(), tip, this, area);
        }
        return true;
      }
      case QEvent::ParentChange:
        d.watch_window();
        break;
      case QEvent::Hide: {
        // Hidden while held: the release can no longer reach the button.
        QPointer<BotonWidget> self(this);
        if (!d.let_go() || !self) return true;
        break;
      }
      case QEvent::ToolTipChange:
        // QWidget::setToolTip is not virtual either: the tip an application gives the button
        // is the control's ToolTipText, shown over the caption and the picture.
        if (const std::string tip = toolTip().toStdString(); tip != d.label.tool_tip_text()) {
          QPointer<BotonWidget> self(this);
          d.call([&](Boton& c) { c.set_ToolTipText(tip); });
          if (!self) return true;
        }
        break;
      default:
        break;
    }
    // QAbstractButton::setText is not virtual: a text set through it reaches the control here.
    if (text() != d.shown_text()) {
      QPointer<BotonWidget> self(this);
      d.sync_text();
      if (!self) return true;
    }
  }
  return QPushButton::event(e);
}

void BotonWidget::changeEvent(QEvent* e) {
  switch (e->type()) {
    case QEvent::EnabledChange:
      // A button disabled while held is let up without a click, as a QPushButton is
      // (released(), and no clicked() for the later release).
      QWidget::changeEvent(e);  // NOLINT(bugprone-parent-virtual-call)
      if (!d_ || !d_->instance || d_->surface.applying_enabled) return;
      if (!isEnabled()) {
        QPointer<BotonWidget> self(this);
        if (!d_->let_go() || !self) return;
      }
      d_->enabled_changed();
      return;
    case QEvent::PaletteChange:
      QPushButton::changeEvent(e);
      if (d_) {
        d_->style_probe.reset();
        d_->rethemed();
      }
      return;
    case QEvent::StyleChange:
      // A style sheet came, went or changed here or above: its colours are asked again.
      QPushButton::changeEvent(e);
      if (d_) d_->style_probe.reset();
      update();
      return;
    case QEvent::FontChange:
      QPushButton::changeEvent(e);
      if (d_) {
        d_->style_probe.reset();
        d_->refont();
      }
      return;
    case QEvent::LayoutDirectionChange:
      QPushButton::changeEvent(e);
      if (d_ && d_->instance) d_->instance->set_mirrored(layoutDirection() == Qt::RightToLeft);
      update();
      return;
    default:
      QPushButton::changeEvent(e);
      return;
  }
}

void BotonWidget::timerEvent(QTimerEvent* e) {
  // The control's Timer1 ticks by the button's own timer events (it may delete the button).
  if (d_ && d_->timer.take(*e)) return;
  QPushButton::timerEvent(e);
}

void BotonWidget::nextCheckState() {
  QPointer<BotonWidget> self(this);
  QPushButton::nextCheckState();
  if (!self || !d_ || !d_->instance) return;
  // Qt's clicks let the button up before they get here; a button still down is repeating while
  // held. Qt emits released(), clicked() and pressed() around this call; the press goes on (a
  // click through the control would end it and the repeat with it), and the application hears
  // the repeat as the control's Click too.
  if (isDown()) {
    emit Click();
    return;
  }
  // QAbstractButton's own click (click(), animateClick, a shortcut) emits pressed(), released()
  // and clicked() around this call itself. The control clicks through its access-key path, as a
  // container activates a button, within Qt's own press: its steps neither press nor release
  // the button again.
  Private& d = *d_;
  d.down_is_controls = false;
  setDown(true);
  const Status s = d.instance->access_key(32);
  if (s.gone || !self) return;
  setDown(false);
  d.settle(s);
}

}  // namespace brelund::qt
