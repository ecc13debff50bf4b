// What a BotonWidget hears from its host objects: one pointer in each object, where a callable per
// notice would cost every button 32 bytes for each.
#pragma once

#include <string_view>

namespace brelund::qt {

class WidgetHooks {
 public:
  // The surface: PropertyChanged, and the end of a rebuild.
  virtual void on_property_changed(std::string_view name) = 0;
  virtual void on_rebuilt() = 0;
  // The caption: its text or font changed (it is measured again when asked), and the layout
  // placed its left side, which it does last.
  virtual void on_measured() = 0;
  virtual void on_placed() = 0;
  // The picture box: a picture set or cleared.
  virtual void on_picture_changed() = 0;
  // Timer1's period ran out.
  virtual void on_tick() = 0;

 protected:
  ~WidgetHooks() = default;
};

}  // namespace brelund::qt
