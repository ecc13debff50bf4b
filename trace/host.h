// What the trace runner needs of one control on a host. Each host the trace can drive (headless,
// Qt, Win32) implements it through what its users load: the headless button's public API, the Qt
// widget, the ActiveX server through COM. The runner and its output are the same for all of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "brelund/boton.h"
#include "brelund/host.h"
#include "control/property_table.h"
#include "host/common/instance.h"
#include "host/common/property_bag.h"
#include "host/common/watcher.h"

namespace brelund::trace {

// What the runner watches: what the host's objects show (see host::Watcher), and the reason a
// host gives when its platform could not deliver a verb as real input and it took the
// instance's step itself (said before the step).
class Probe : public host::Watcher {
 public:
  virtual void simulated(std::string_view why) = 0;
};

// The keyboard and focus verbs of a script.
enum class KeyVerb { down, up, press, access };
enum class FocusVerb { enter, got, exit, lost };

// The control and its children as the script's `state` shows them.
struct StateView {
  BotonFields fields;
  bool timer = false;
  bool enabled = true;
  OleColor back_color = 0;
  float scale_width = 0, scale_height = 0;
  struct {
    std::string caption, tool_tip_text;
    OleColor fore_color = 0;
    float left = 0, top = 0, width = 0, height = 0;
  } label;
  struct {
    bool visible = false, enabled = true;
    std::string tool_tip_text;
    float left = 0, top = 0, width = 0, height = 0;
  } pic;
};

// Where layout put the caption and the picture, in twips.
struct Placement {
  float label_left = 0, label_top = 0, pic_left = 0, pic_top = 0;
};

class Host {
 public:
  virtual ~Host() = default;
  // A new control with its children, replacing (destroying) the one before, also from inside
  // one of its own events.
  virtual void create(host::EventSink& application, Probe& probe) = 0;
  virtual bool exists() const = 0;

  // The container's side: a new instance, its saved set in and out, its extent, showing it.
  virtual Status init() = 0;
  virtual Status load(host::PropertyBag& bag) = 0;
  virtual Status save(host::MemoryPropertyBag& bag) = 0;
  virtual Status resize(float width_twips, float height_twips) = 0;
  virtual Status show() = 0;

  // The application's side: members as the host publishes them.
  virtual Status let(const Member& member, const Variant& value) = 0;
  // A property's value, or a method's result (none for a method without one).
  virtual Status get(const Member& member, std::optional<Variant>& result) = 0;

  // Input. A host sends its platform's real input where that carries the verb exactly; where it
  // cannot, it tells the probe why and takes the instance's step. Either way it returns the
  // step's status.
  virtual Status pointer(host::PointerAction action, host::PointerTarget target,
                         std::int16_t button, std::int16_t shift, float x, float y) = 0;
  virtual Status key(KeyVerb verb, std::int16_t code, std::int16_t shift) = 0;
  // One notification each, as a container delivers them; pairs are the hosts' business.
  virtual Status focus(FocusVerb verb) = 0;
  // One period of Timer1's interval passes.
  virtual Status tick() = 0;

  // The platform around the control.
  virtual void set_sys_color(int index, OleColor rgb) = 0;
  // The extender's Default and Cancel (both empty: an extender without them).
  virtual void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) = 0;
  virtual void set_ambient_font(FontRef font) = 0;
  // Pins the caption's measured size, as a host whose font measures the text so.
  virtual void pin_label_size(float width_twips, float height_twips) = 0;
  // The system pointer: over the control's centre, off it, or at one of its pixels.
  virtual void pointer_over() = 0;
  virtual void pointer_away() = 0;
  virtual void pointer_at(int x, int y) = 0;

  // The script has ended: a host that held a notification back to send it together with the
  // next one (as its platform does) carries it out alone now.
  virtual Status finish() { return {}; }

  // What the runner prints.
  virtual StateView state() = 0;
  virtual bool enabled() = 0;
  virtual Placement placement() = 0;
  virtual void snapshot(const std::string& png_path) = 0;
};

// A host whose control lives in this process, with its host objects at hand: the container's
// verbs are the instance's steps, the state is read from the objects, and members go through
// the member table unless the host publishes them its own way.
class InstanceHost : public Host {
 public:
  virtual host::Instance& instance() = 0;
  virtual host::StoredSurface& surface() = 0;
  virtual host::Label& label() = 0;
  virtual host::Image& pic() = 0;
  virtual host::Timer& timer() = 0;

  Status init() override { return instance().init(); }
  Status load(host::PropertyBag& bag) override { return instance().load(bag); }
  Status save(host::MemoryPropertyBag& bag) override { return instance().save(bag); }
  Status resize(float w, float h) override { return instance().resize(w, h); }
  Status show() override { return instance().show(); }
  Status let(const Member& member, const Variant& value) override;
  Status get(const Member& member, std::optional<Variant>& result) override;
  Status pointer(host::PointerAction action, host::PointerTarget target, std::int16_t button,
                 std::int16_t shift, float x, float y) override {
    return instance().pointer(action, target, button, shift, x, y);
  }
  Status key(KeyVerb verb, std::int16_t code, std::int16_t shift) override;
  Status focus(FocusVerb verb) override;
  Status tick() override { return instance().tick(); }
  void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) override {
    surface().set_extender(is_default, is_cancel);
  }
  void set_ambient_font(FontRef font) override { surface().set_ambient_font(std::move(font)); }
  StateView state() override;
  bool enabled() override { return surface().enabled() != 0; }
  Placement placement() override {
    return {label().left(), label().top(), pic().left(), pic().top()};
  }
};

std::unique_ptr<Host> make_headless_host();

}  // namespace brelund::trace
