// What a BotonWidget holds behind its public face: the host objects of one control and the
// shared host-side instance that owns the control, plus the little state that translating Qt's
// input needs (the keys whose press went elsewhere). Private to the Qt
// host; tests and tools reach it through BotonWidgetAccess.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include <QButtonGroup>
#include <QPainter>
#include <QPointer>

#include "brelund/qt/boton_widget.h"
#include "control/look.h"
#include "host/common/instance.h"
#include "host/qt/qt_children.h"
#include "host/qt/qt_icon.h"
#include "host/qt/qt_platform.h"
#include "host/qt/qt_style_probe.h"
#include "host/qt/qt_surface.h"
#include "host/qt/widget_hooks.h"

namespace brelund::qt {

// The one event filter on a window that hands its Enter and Escape to the window's default and
// cancel button (boton_input.cpp).
class WindowKeys;

// The few keys a button holds at a time, in one short list: the presses it took and those it left
// to the window, each marked with which. A set, or a list for each, would cost every button two to
// four times the room.
class HeldKeys {
 public:
  // One of the two as a set of its own.
  class Set {
   public:
    void insert(int key) {
      if (!count(key)) keys_.push_back({key, passed_on_});
    }
    std::size_t erase(int key) { return std::erase(keys_, Key{key, passed_on_}); }
    std::size_t count(int key) const {
      return static_cast<std::size_t>(std::count(keys_.begin(), keys_.end(), Key{key, passed_on_}));
    }
    void clear() noexcept {
      std::erase_if(keys_, [this](const Key& k) { return k.passed_on == passed_on_; });
    }

   private:
    friend class HeldKeys;
    struct Key {
      int key;
      bool passed_on;
      bool operator==(const Key&) const = default;
    };
    Set(std::vector<Key>& keys, bool passed_on) : keys_(keys), passed_on_(passed_on) {}
    std::vector<Key>& keys_;
    bool passed_on_;
  };
  // The keys whose press this button took.
  Set down() noexcept { return {keys_, false}; }
  // The keys whose press it left to the window.
  Set passed_on() noexcept { return {keys_, true}; }

 private:
  std::vector<Set::Key> keys_;
};

struct BotonWidget::Options {
  // The container's font; the widget's own font when none is given (it then follows the
  // widget's font as the application or a parent changes it).
  FontRef ambient;
  // InitProperties (a new button) or nothing yet (the caller loads a saved set).
  bool init = true;
};

class BotonWidget::Private final : public WidgetHooks {
 public:
  Private(BotonWidget& w, const Options& options);
  ~Private();

  // Runs one step of the instance and reports its failure. False when the control is gone: the
  // caller must return at once without touching the widget.
  template <class F>
  bool run(F&& step) {
    surface.begin_step();
    const Status s = step();
    if (s.gone) return false;
    surface.end_step();
    return settle(s);
  }
  // Runs a member of the control (a property) the same way.
  template <class F>
  bool call(F&& f) {
    return run([&] { return guarded([&] { f(instance->control()); }); });
  }
  // After a step: a failure becomes the error signal; Qt's down follows the control's press.
  // False when a slot deleted the widget.
  bool settle(const Status& s);
  // QAbstractButton's `down` is the button's one press. The control's press shows in it: the
  // control's steps press it (pressed()) and let it up (released()); when Qt lets it up by
  // itself (setDown(false), a menu that took the release), the control's press ends with it,
  // without a click. Qt's own press (setDown(true), animateClick, its click()) has no steps in
  // the control and is Qt's to end. False when a slot deleted the widget.
  bool sync_down();
  // Qt's button goes down or up for the control's press, with pressed() or released() (and the
  // group's), as QAbstractButton's own press. False when a slot deleted the widget.
  bool set_down(bool pressed);
  // A press that input is about to make starts afresh from a down Qt holds by itself (set from
  // code), with pressed(), as a QPushButton's press does.
  void take_down() {
    if (w.isDown() && !down_is_controls) w.setDown(false);
  }
  // The control's press ends without a click (Escape, the focus leaving, disabling, Qt letting
  // it up): the pointer's as if let go away from the button, a key's without a key event. False
  // when a slot deleted the widget.
  bool let_go();
  // A QButtonGroup hears from QAbstractButton only of the presses and clicks QAbstractButton
  // made itself; the control's are told to the button's group here, by id and by button. False
  // when a slot deleted the widget.
  bool tell_group(void (QButtonGroup::*by_id)(int),
                  void (QButtonGroup::*by_button)(QAbstractButton*));
  // A checkable button changes its check state for a click the control made, as QAbstractButton
  // does for its own. False when a slot of toggled() deleted the widget.
  bool toggle();
  // text() changed through QAbstractButton::setText: the control's Caption takes it.
  void sync_text();
  // A full rebuild after a theme change, outside the control's own steps.
  void rebuild();
  void rethemed();
  void refont();
  // The control's Font changed: the widget's font takes it.
  void push_font();
  void enabled_changed();
  // What the host objects tell the widget.
  void on_property_changed(std::string_view name) override;
  void on_rebuilt() override;
  void on_measured() override;
  void on_placed() override;
  void on_picture_changed() override;
  void on_tick() override;
  // True when a rebuild now would draw exactly what the last one left: nothing the surface,
  // caption, picture box or mask hold has changed since, nor the control's fields, nor the pixel
  // ratio. Never with a watching tool attached, which sees every rebuild.
  bool holds_rebuild();
  // A watching tool (a trace) is attached: it sees every rebuild and every mask drawn.
  bool tool_attached() {
    return surface.watcher() || (instance && instance->control().services().observer);
  }

  // The face's state now (control/look.h): the control's, with Qt's down and checked states, the
  // default button, flatness, and a style sheet's background for the button's state (:checked,
  // :pressed, :hover, :disabled). An explicit rule's background wins over BackColor as it wins
  // over a QPushButton's palette; BackColor keeps what was set, and is what is saved.
  FaceState look(const StyledColours& styled);
  // Paints the face the look gives when the control's own paint does not show it, by the
  // control's face painter and layout; when it ends, the control's look comes back.
  void show_state(const FaceState& want);
  std::optional<FaceState> shown_look;  // the face shows the host's look, not the control's own
  std::uint64_t state_face = 0;         // faces_painted when it was painted
  // The colours the style sheets in force give the button in its state now.
  StyledColours styled();
  // Made when a style sheet first reaches the button; most buttons never have one.
  std::unique_ptr<StyleProbe> style_probe;
  // The default button's mark and the menu indicator, over the face (boton_marks.cpp).
  void paint_marks(QPainter& p, const FaceState& look, const QColor& ink);

  // The icon in the picture's place while the control has no picture (qt_icon.h). Each layout
  // of the control is followed by the same layout with the icon's stand-in while it is shown.
  void sync_icon();
  // The same without the layout, for a change the control lays out after (a new Picture).
  // True when the icon came, went or changed its size.
  bool update_icon();
  void lay_out_icon(bool pressed);
  std::unique_ptr<IconBox> icon;  // made when the button is first given an icon
  bool icon_shown() const noexcept { return icon && icon->shown(); }
  bool laying_icon = false;

  // Pointer and keys.
  bool pointer(host::PointerAction action, const QMouseEvent& e);
  QRect caption_rect();
  QRect picture_rect();
  bool passes_on(const QKeyEvent& e);
  bool window_key(QKeyEvent& e);
  void watch_window();
  void unwatch_window();
  bool in_dialog() const;

  BotonWidget& w;
  host::WindowHandle hwnd;
  Platform platform;
  Surface surface;
  Label label;
  Image pic;
  Mask mask;
  Timer timer;
  Edits edits;
  // Where the last rebuild left things.
  struct Rebuilt {
    std::uint64_t edits = 0;
    BotonFields fields;
    double ratio = 1;
  };
  std::optional<Rebuilt> rebuilt;
  // The application's side of the control: every event becomes the widget's signal
  // (boton_widget.cpp).
  class Sink final : public host::EventSink {
   public:
    explicit Sink(Private& d) : d_(d) {}
    void Click() override;
    void KeyDown(std::int16_t& k, std::int16_t& s) override;
    void KeyPress(std::int16_t& k) override;
    void KeyUp(std::int16_t& k, std::int16_t& s) override;
    void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
    void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
    void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override;
    void Resize() override;

   private:
    // The application's code runs next: what the surface remembers of the window may not hold
    // after it. False when a slot of pressed() or released() deleted the widget.
    bool ready();
    Private& d_;
  };
  Sink sink;
  std::optional<host::Instance> instance;

  // The text the control's caption was last set from.
  const QString& shown_text() const noexcept { return label.text(); }
  QFont pushed_font;          // the widget font as the control's Font last set it
  bool pushing_font = false;  // the control's Font is being set on the widget
  HeldKeys keys;              // press keys this button took, and keys it left to the window
  QPointer<QWidget> watched;
  WindowKeys* window_keys = nullptr;  // the filter on `watched`, shared with its other buttons
  // Whose press Qt's down shows: the control's, or Qt's own. QAbstractButton::setDown is not
  // virtual, so Qt's own press reaches the widget only as `down`; the control's steps within it
  // (its click() runs the control's click) neither let it up nor report a click of their own.
  bool down_is_controls = false;
};

}  // namespace brelund::qt
