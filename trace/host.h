// What the trace runner needs of one control on a host. Each host the trace can drive (headless,
// Qt, Win32) implements it with its real objects; the runner and its output are the same for
// all of them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "brelund/host.h"
#include "host/common/instance.h"

namespace brelund::trace {

// What the runner watches. The host calls these as its objects change; paints and layouts come
// through the control's observer.
class Probe : public host::Observer {
 public:
  virtual void changed(std::string_view name) = 0;
  virtual void refreshed() = 0;
  virtual void mask_set(const PictureRef& mask) = 0;
  virtual void line(float x1, float y1, float x2, float y2, OleColor rgb) = 0;
  virtual void caption_colour(OleColor c) = 0;
  virtual void pic_moved() = 0;
  // A host that took the instance's step itself for a verb its platform could not deliver as
  // real input (a step inside its own loop, such as a timer period) says why, before the step.
  virtual void simulated(std::string_view why) = 0;
};

// The keyboard verbs of a script.
enum class KeyVerb { down, up, press, access };

// How a host carried out an input verb. A host whose platform has real input for it sends that
// and returns its status; one that cannot says why, and the runner takes the instance's step
// itself and prints the reason. Neither (the default) means the instance's step is the host's
// own input, as it is on the headless host.
struct Delivery {
  std::optional<Status> status;
  std::string simulated;
};

class Host {
 public:
  virtual ~Host() = default;
  // A new control with its children, replacing (destroying) the one before, also from inside
  // one of its own events.
  virtual void create(host::EventSink& application, Probe& probe) = 0;
  virtual bool exists() const = 0;

  virtual host::Instance& instance() = 0;
  virtual host::StoredSurface& surface() = 0;
  virtual host::Label& label() = 0;
  virtual host::Image& pic() = 0;
  virtual host::Timer& timer() = 0;

  virtual void set_sys_color(int index, OleColor rgb) = 0;
  // Pins the caption's measured size, as a host whose font measures the text so.
  virtual void pin_label_size(float width_twips, float height_twips) = 0;
  // The system pointer: over the control's centre, off it, or at one of its pixels.
  virtual void pointer_over() = 0;
  virtual void pointer_away() = 0;
  virtual void pointer_at(int x, int y) = 0;
  // One period of Timer1's interval passes.
  virtual Status tick() = 0;
  virtual void snapshot(const std::string& png_path) = 0;

  // Input as the platform delivers it; see Delivery.
  virtual Delivery show() { return {}; }
  virtual Delivery pointer(host::PointerAction, host::PointerTarget, std::int16_t /*button*/,
                           std::int16_t /*shift*/, float /*x*/, float /*y*/) {
    return {};
  }
  virtual Delivery key(KeyVerb, std::int16_t /*code*/, std::int16_t /*shift*/) { return {}; }
  // The extender's Default and Cancel (both empty: an extender without them). A host whose
  // platform keeps them itself (Qt's default button) overrides this.
  virtual void set_extender(std::optional<bool> is_default, std::optional<bool> is_cancel) {
    surface().set_extender(is_default, is_cancel);
  }
};

std::unique_ptr<Host> make_headless_host();

}  // namespace brelund::trace
