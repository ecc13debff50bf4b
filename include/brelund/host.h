// The contract between the portable control and the host that places it. Every operation may
// fail by throwing brelund::Error; the control lets the failure end its step and the host's entry
// point reports it. Lengths are twips, colours are OLE colours.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "brelund/error.h"
#include "brelund/mask.h"
#include "brelund/values.h"

namespace brelund::shape {
struct Region;
}

namespace brelund::host {

using WindowHandle = std::uint32_t;
struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The control's own surface (UserControl).
class Surface {
 public:
  virtual ~Surface() = default;
  virtual float width() = 0;
  virtual float height() = 0;
  virtual float scale_width() = 0;
  virtual float scale_height() = 0;
  // Writing one extent rescales that axis only; the origin stays at the top-left corner.
  virtual void set_scale_width(float v) = 0;
  virtual void set_scale_height(float v) = 0;
  virtual void set_draw_style(std::int16_t style) = 0;
  // A solid one-pixel line in the current scale, end point excluded, colour as RGB.
  virtual void line(float x1, float y1, float x2, float y2, OleColor rgb) = 0;
  // Rows (0, y)-(1, y) of the current scale, drawn in order exactly as that many line() calls
  // would draw them. The face is mostly such rows; a host that keeps its own pixels draws a batch
  // in one go instead of paying a call chain per row. A record with a count stands for that many
  // rows of its colour at y, y + step, y + 2 * step, ... (float sums, step 1 or -1): the face's
  // middle is one colour from band to band. The default is the plain loop.
  struct Row {
    float y;
    OleColor rgb;
    std::int32_t count = 1;
    std::int32_t step = 1;
    float y_at(std::int32_t j) const noexcept { return y + static_cast<float>(j * step); }
  };
  virtual void rows(const Row* rows, int count) {
    for (int i = 0; i < count; ++i)
      for (std::int32_t j = 0; j < rows[i].count; ++j)
        line(0, rows[i].y_at(j), 1, rows[i].y_at(j), rows[i].rgb);
  }
  virtual void refresh() = 0;
  // Pixels the mask does not hold as opaque become transparent and click-through.
  virtual void set_mask_picture(MaskRef mask) = 0;

  virtual OleColor back_color() = 0;
  virtual void set_back_color(OleColor c) = 0;
  virtual OleColor fore_color() = 0;
  virtual void set_fore_color(OleColor c) = 0;
  virtual Bool16 enabled() = 0;
  virtual void set_enabled(Bool16 v) = 0;
  virtual std::int16_t mouse_pointer() = 0;
  virtual void set_mouse_pointer(std::int16_t v) = 0;
  virtual PictureRef mouse_icon() = 0;
  virtual void set_mouse_icon(PictureRef p) = 0;

  virtual WindowHandle hwnd() = 0;
  // The extender's Default and Cancel; nullopt where the host's extender lacks them.
  virtual std::optional<bool> extender_default() = 0;
  virtual std::optional<bool> extender_cancel() = 0;
  virtual FontRef ambient_font() = 0;
  virtual void property_changed(std::string_view name) = 0;
  // A full rebuild (mask, face and layout) has just ended. Until anything changes, another one
  // would draw exactly what is there; a host that keeps track of changes may leave such a
  // rebuild out.
  virtual void rebuilt() {}
};

// The caption: windowless, transparent, sizes itself to its text.
class Label {
 public:
  virtual ~Label() = default;
  virtual std::string caption() = 0;  // UTF-8
  virtual void set_caption(const std::string& text) = 0;
  virtual FontRef font() = 0;
  virtual void set_font(FontRef f) = 0;
  // Kept as handed over: a system-colour reference stays one until it is drawn.
  virtual OleColor fore_color() = 0;
  virtual void set_fore_color(OleColor c) = 0;
  virtual std::string tool_tip_text() = 0;
  virtual void set_tool_tip_text(const std::string& text) = 0;
  virtual float left() = 0;
  virtual void set_left(float v) = 0;
  virtual float top() = 0;
  virtual void set_top(float v) = 0;
  virtual float width() = 0;
  virtual float height() = 0;
};

// The picture (Pic): windowless, shows its picture at its natural size.
class Image {
 public:
  virtual ~Image() = default;
  virtual PictureRef picture() = 0;
  virtual void set_picture(PictureRef p) = 0;
  virtual Bool16 visible() = 0;
  virtual void set_visible(Bool16 v) = 0;
  virtual Bool16 enabled() = 0;
  virtual void set_enabled(Bool16 v) = 0;
  virtual std::string tool_tip_text() = 0;
  virtual void set_tool_tip_text(const std::string& text) = 0;
  virtual float left() = 0;
  virtual void set_left(float v) = 0;
  virtual float top() = 0;
  virtual void set_top(float v) = 0;
  virtual float width() = 0;
  virtual float height() = 0;
};

// The hidden off-screen canvas (picMask) on which the shape mask is drawn.
class MaskCanvas {
 public:
  virtual ~MaskCanvas() = default;
  virtual void set_width(float twips) = 0;
  virtual void set_height(float twips) = 0;
  virtual void clear() = 0;  // fill with its white background
  // Fill a region with the stock black brush. The region is a temporary made for this one fill.
  virtual void fill_black(const shape::Region& region) = 0;
  // The image as it is now, black runs on white; a value that later drawing leaves as it is.
  virtual MaskRef image() = 0;
};

class Timer {
 public:
  virtual ~Timer() = default;
  virtual bool enabled() = 0;
  virtual void set_enabled(bool on) = 0;
  virtual std::int32_t interval() = 0;
  virtual void set_interval(std::int32_t ms) = 0;
};

// Operating-system services: system colours and the pointer test.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual OleColor get_sys_color(int index) = 0;
  virtual ScreenPoint cursor_pos() = 0;
  virtual WindowHandle window_from_point(ScreenPoint p) = 0;
};

class PropertyBag {
 public:
  virtual ~PropertyBag() = default;
  // The stored value, or def when the key is absent.
  virtual Variant read_property(std::string_view key, const Variant& def) = 0;
  // Stores value unless it equals def.
  virtual void write_property(std::string_view key, const Variant& value, const Variant& def) = 0;
};

// The application's side: the eight events, arguments by reference so that a handler's change
// is what the control and the host see afterwards. Handlers may call back into the control.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void Click() {}
  virtual void KeyDown(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void KeyPress(std::int16_t& /*KeyAscii*/) {}
  virtual void KeyUp(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                         float& /*Y*/) {}
  virtual void MouseMove(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                         float& /*Y*/) {}
  virtual void MouseUp(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/,
                       float& /*Y*/) {}
  virtual void Resize() {}
};

// Diagnostics for tools that show what the control does (the trace, tests). Hosts that do not
// care pass none; the control then pays nothing for it.
class Observer {
 public:
  virtual ~Observer() = default;
  virtual void paint_begin(bool /*lit*/, bool /*pressed*/) {}
  virtual void paint_end() {}
  virtual void laid_out() {}
};

// Everything one control instance is given by its host. The host owns all of it and keeps it
// alive for as long as the control.
struct Services {
  Surface& surface;
  Label& label;
  Image& pic;
  MaskCanvas& mask;
  Timer& timer;
  Platform& platform;
  EventSink& events;
  Observer* observer = nullptr;
};

}  // namespace brelund::host
