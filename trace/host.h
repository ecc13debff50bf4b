// What the trace runner needs of one control on a host. Each host the trace can drive (headless,
// Qt, Win32) implements it with its real objects; the runner and its output are the same for
// all of them.
#pragma once

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
  // The host delivered a step through the control's instance instead of its platform's real
  // input, for the reason given.
  virtual void simulated(std::string_view why) = 0;
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

  // Pointer and key notifications as the platform delivers them. By default they go to the
  // instance as they are; a host with a real window system sends real input where it can.
  virtual Status pointer(host::PointerAction action, host::PointerTarget target,
                         std::int16_t button, std::int16_t shift, float x, float y) {
    return instance().pointer(action, target, button, shift, x, y);
  }
  virtual Status key_down(std::int16_t code, std::int16_t shift) {
    return instance().key_down(code, shift);
  }
  virtual Status key_up(std::int16_t code, std::int16_t shift) {
    return instance().key_up(code, shift);
  }
  virtual Status key_press(std::int16_t ascii) { return instance().key_press(ascii); }
  virtual Status access_key(std::int16_t ascii) { return instance().access_key(ascii); }

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
};

std::unique_ptr<Host> make_headless_host();

}  // namespace brelund::trace
