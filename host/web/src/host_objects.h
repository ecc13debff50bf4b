// The browser host's objects behind one control: a surface whose retained pixels the page
// copies into a <canvas>, a caption measured with the page's fonts, a picture the page supplies,
// a timer the page runs and the page's pointer. Nothing here touches the page: the JavaScript
// side asks what changed after every step (see Button::take_changes) and shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "brelund/host.h"
#include "host/common/hires_face.h"
#include "host/common/mask_image.h"
#include "host/common/stored_children.h"
#include "host/common/stored_surface.h"

namespace brelund::web {

// What the page must show again, as bits.
enum Dirty : std::uint32_t {
  kFace = 1,      // the retained pixels or the mask
  kCaption = 2,   // text, font, colour or place of the caption
  kPicture = 4,   // picture, its place, visibility
  kTimer = 8,     // Timer1 started, stopped or given another interval
  kEnabled = 16,  // the surface's Enabled
  kPointer = 32,  // MousePointer or MouseIcon
  kTip = 64,      // a tooltip
};

inline constexpr host::WindowHandle kPageWindow = 1;
inline constexpr host::WindowHandle kControlWindow = 2;

class Surface final : public host::StoredSurface {
 public:
  explicit Surface(std::uint32_t& dirty) : dirty_(dirty) {}
  host::WindowHandle hwnd() override { return kControlWindow; }
  // PropertyChanged goes to the page as it happens.
  std::function<void(std::string_view)> on_property_changed;
  // The page's device pixel ratio: above 1, every line is also drawn at device resolution.
  double ratio() const noexcept { return ratio_; }
  void set_ratio(double ratio) noexcept { ratio_ = ratio; }
  const host::HiresFace& hires() const noexcept { return hires_; }

  void line(float x1, float y1, float x2, float y2, OleColor rgb) override {
    StoredSurface::line(x1, y1, x2, y2, rgb);
    hires_.line(ratio_, pixel_width(), pixel_height(), x1, y1, x2, y2, rgb, scale_width(),
                scale_height());
  }
  void rows(const Row* rows, int count) override {
    // A watching tool sees each row as a line of its own, which line() draws at both sizes.
    if (watcher()) return StoredSurface::rows(rows, count);
    StoredSurface::rows(rows, count);
    hires_.rows(ratio_, pixel_width(), pixel_height(), rows, count, scale_width(), scale_height());
  }

 private:
  void changed(host::Change c) override;
  void redraw() override { dirty_ |= kFace; }
  void notify(std::string_view name) override {
    if (on_property_changed) on_property_changed(name);
  }
  std::uint32_t& dirty_;
  double ratio_ = 1;
  host::HiresFace hires_;
};

// The mask canvas, remembering what it was filled with: the page cuts the shape from those
// regions again at its device resolution, finer than the mask's pixels.
class Mask final : public host::MaskCanvas {
 public:
  void set_width(float twips) override { image_.set_width(twips); }
  void set_height(float twips) override { image_.set_height(twips); }
  void clear() override {
    image_.clear();
    regions_.clear();
  }
  void fill_black(const shape::Region& region) override {
    image_.fill_black(region);
    regions_.push_back(region);
  }
  MaskRef image() override {
    made_ = image_.image();
    made_regions_ = regions_;
    return made_;
  }
  // The regions `mask` was made of, when it is this canvas's last image; null otherwise.
  const std::vector<shape::Region>* regions_of(const MaskRef& mask) const noexcept {
    return mask && mask == made_ ? &made_regions_ : nullptr;
  }

 private:
  MaskImage image_;
  std::vector<shape::Region> regions_, made_regions_;
  MaskRef made_;
};

// The caption's size in pixels in a font, as the page measures it; none measures as empty (a
// host without a page, such as the trace in node, pins the size instead).
struct TextSize {
  double width = 0, height = 0;
};
using Measure = std::function<TextSize(const Font&, const std::string&)>;

class Label final : public host::StoredLabel {
 public:
  Label(std::uint32_t& dirty, Measure measure);

 private:
  void changed(host::Change c) override;
  std::uint32_t& dirty_;
  Measure measure_;
};

class Image final : public host::StoredImage {
 public:
  explicit Image(std::uint32_t& dirty) : dirty_(dirty) {}

 private:
  void changed(host::Change c) override;
  std::uint32_t& dirty_;
};

class Timer final : public host::Timer {
 public:
  explicit Timer(std::uint32_t& dirty) : dirty_(dirty) {}
  bool enabled() override { return enabled_; }
  void set_enabled(bool on) override {
    enabled_ = on;
    dirty_ |= kTimer;
  }
  std::int32_t interval() override { return interval_; }
  void set_interval(std::int32_t ms) override {
    interval_ = ms;
    dirty_ |= kTimer;
  }

 private:
  std::uint32_t& dirty_;
  bool enabled_ = false;
  std::int32_t interval_ = 100;
};

// The page as the control's platform: the system colours (the same scheme as the headless host
// until the page sets its own), the pointer the page last saw, in pixels from the control's
// top-left corner, and the control's window wherever its mask keeps a pixel.
class Platform final : public host::Platform {
 public:
  explicit Platform(const host::StoredSurface& control);
  void set_sys_color(int index, OleColor rgb);
  void set_pointer(int x, int y) { pointer_ = {x, y}; }

  OleColor get_sys_color(int index) override;
  host::ScreenPoint cursor_pos() override { return pointer_; }
  host::WindowHandle window_from_point(host::ScreenPoint p) override;

 private:
  const host::StoredSurface& control_;
  OleColor colors_[256] = {};
  host::ScreenPoint pointer_{-10000, -10000};
};

}  // namespace brelund::web
