// One control as a host holds it: the Boton built on the host's surface and children with the
// design settings, and every step a host takes with it, written once. A host only translates its
// platform: it turns a mouse press into pointer(down, target, ...), a focus change into
// focus_in()/focus_out(), and so on, and reports the Status each step returns.
//
// Events are synchronous and the application's handler may destroy the control (an OK button
// that closes its dialog). After every event the instance checks that it still exists; if not,
// the control's step ends at once (no field written, no paint, no further event) and the host's
// step returns a Status with `gone` set, after which the host must not touch the control or
// anything it owned.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "brelund/boton.h"
#include "brelund/forms.h"
#include "host/common/stored_children.h"
#include "host/common/stored_surface.h"
#include "host/common/watcher.h"

namespace brelund::host {

enum class PointerAction { down, move, up };
// Where a pointer notification arrived: the surface itself, or the caption or picture on it,
// with that child's own coordinates.
enum class PointerTarget { surface, caption, picture };

// A point of the surface as the part under it sees it: that part, and the point in its own twips.
struct Hit {
  PointerTarget target;
  float x, y;
};

class Instance {
 public:
  // Creates the control on the host's objects and applies the design settings; nothing is drawn.
  // `application` receives the events; `observer` sees paints and layouts (tools only).
  Instance(StoredSurface& surface, StoredLabel& label, StoredImage& pic, MaskCanvas& mask,
           Timer& timer, Platform& platform, EventSink& application, Observer* observer = nullptr);
  // Destroying the instance inside an event ends that event's step when the handler returns.
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  Boton& control() noexcept { return control_; }

  // A tool that shows what the control and its host objects do (the trace), or none.
  void watch(Watcher* watcher) noexcept;

  // Marks the control as gone while the object itself lives on (a COM object that the container
  // released but that holds itself for the step in progress): every later event ends its step.
  void retire() noexcept { *alive_ = false; }
  bool retired() const noexcept { return !*alive_; }

  Status init();
  Status load(PropertyBag& bag);
  // A form file's entry: extender, extent and its saved property set. A failure names the file,
  // the control and the key; the keys before it keep their new values.
  Status load(const forms::Control& entry, const std::string& file);
  // load(entry, file) and then show(), for a host that shows the control from its form entry
  // and lets nothing look at it in between: the load's own rebuild is left to Show's (see
  // Boton::ReadProperties), unless an observer would see it. The first failure is returned,
  // with `loaded` saying whether the load had succeeded; after a failure the control is left
  // part-way, and the host discards it.
  Status open(const forms::Control& entry, const std::string& file, bool& loaded);
  Status save(PropertyBag& bag);
  // The host's side of a resize: the new extent in twips, then the Resize notification. The
  // same extent again is no resize and does nothing.
  Status resize(float width_twips, float height_twips);
  Status show();

  // The focus arrives and leaves in pairs: EnterFocus then GotFocus; LostFocus then ExitFocus.
  // A repeated call without the opposite one in between does nothing.
  Status focus_in();
  Status focus_out();
  bool focused() const noexcept { return focused_; }

  // The part of the control under a point of the surface (twips). The caption is painted over
  // the picture and is asked first; then the picture, while it is shown and enabled (a disabled
  // picture reports nothing of its own, so the surface gets the point in its own coordinates);
  // then the surface. With `mirrored` the caption and picture are drawn mirrored, as in a
  // right-to-left layout, and are looked for where they are drawn.
  Hit hit(float x, float y);
  void set_mirrored(bool mirrored) noexcept { mirrored_ = mirrored; }

  // A pointer notification at a point of the surface, in twips, as a host's window reports it.
  // The part under the point gets it (see hit()); while a button is held, the part that was
  // pressed keeps getting everything, in its own coordinates, wherever the pointer is: a
  // windowless child holds the capture as a window does. `button` is the button that went down
  // or up, or for a move the buttons held.
  Status pointer(PointerAction action, std::int16_t button, std::int16_t shift, float x, float y);
  // Where pointer(action, button, ...) at that point would go now, without sending it: a tool
  // that drives a host's real input asks it to find the point that reaches a given part.
  Hit route(PointerAction action, std::int16_t button, float x, float y);
  // A button pressed on the control is held: the pressed part has the pointer wherever it is.
  bool captured() const noexcept { return held_ != 0 && capture_.has_value(); }
  // A pointer notification that a part reports itself, in that part's own twips.
  Status pointer(PointerAction action, PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y);

  Status key_down(std::int16_t key_code, std::int16_t shift);
  Status key_press(std::int16_t key_ascii);
  Status key_up(std::int16_t key_code, std::int16_t shift);
  Status access_key(std::int16_t key_ascii);
  // A press from outside the keyboard and the pointer (a screen reader's default action): the
  // button goes down and up as Space takes it and raises Click, and nothing else reaches the
  // application: a key its handlers never saw pressed cannot be swallowed by them (KeyCode = 0)
  // either. A disabled button is not pressed.
  Status press();
  // The toolkit let the button up by itself while a key held it (its own press model ended the
  // press: a menu took the key's release, the application let it up, the focus left): the press
  // ends without a click, and the application hears of no key, which nobody released. The focus
  // stays as it is. A press the pointer holds ends through pointer().
  Status let_go();
  // One period of Timer1: ticks the control while the timer is enabled.
  Status tick();

 private:
  class Guard;
  template <class F>
  Status step(F&& f);

  StoredSurface& surface_;
  StoredLabel& label_;
  StoredImage& pic_;
  Timer& timer_;
  // Shared with the event in progress, which keeps it after the instance is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<Guard> guard_;
  Boton control_;
  bool focused_ = false;
  bool mirrored_ = false;
  // The buttons held on the control, and the part that took the press while any is held, with
  // that part's origin on the surface when it was pressed (its right edge when mirrored).
  struct Capture {
    PointerTarget target;
    float x, y;
    bool flipped;
  };
  std::int16_t held_ = 0;
  std::optional<Capture> capture_;
};

}  // namespace brelund::host
