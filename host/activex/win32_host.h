// The Win32 side of the host contract: the control's window with its retained face, the
// windowless caption and picture drawn over it (the mask canvas is the shared in-memory one), the
// window timer and the system's colours and pointer.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "host/activex/gdi.h"
#include "host/common/canvas.h"
#include "host/common/mask_image.h"
#include "brelund/host.h"
#include "brelund/raster.h"
#include "host/common/stored_children.h"
#include "host/common/stored_surface.h"

namespace brelund::ax {

// What the surface asks of the container it sits in (through the COM object).
class Site {
 public:
  virtual ~Site() = default;
  virtual std::optional<bool> extender_bool(const wchar_t* name) = 0;
  virtual FontRef ambient_font() = 0;
  virtual void property_changed(std::string_view name) = 0;
};

class Surface final : public host::StoredSurface {
 public:
  explicit Surface(Site& site) : site_(site) {}

  void set_window(HWND hwnd);
  HWND window() const noexcept { return hwnd_; }
  // False until the control first draws its face.
  bool drawn() const noexcept { return drawn_; }
  // True once after the control drew anything.
  bool take_redrawn() noexcept { return std::exchange(redrawn_, false); }
  // The opaque part of the control as a region in control pixels, or mapped by `transform`
  // (drawing at another size or place); null when all is opaque.
  Region shape_region(const XFORM* transform = nullptr) const;

  host::WindowHandle hwnd() override { return HandleToUlong(hwnd_); }
  std::optional<bool> extender_default() override { return site_.extender_bool(L"Default"); }
  std::optional<bool> extender_cancel() override { return site_.extender_bool(L"Cancel"); }
  FontRef ambient_font() override { return site_.ambient_font(); }

 private:
  void changed(host::Change what) override;
  void redraw() override;
  void notify(std::string_view name) override { site_.property_changed(name); }
  void apply_shape();
  Site& site_;
  HWND hwnd_ = nullptr;
  // The mask whose shape the window has now. Most rebuilds (a caption typed in the property
  // browser, a colour) keep the shape, and setting a window's region again, even an equal one,
  // frames and redraws the window and what lies behind its corners.
  MaskRef applied_;
  bool drawn_ = false;
  bool redrawn_ = false;
};

class Label final : public host::StoredLabel {
 public:
  Label();
  // The font a caption has before anyone sets one; also the ambient font without a container.
  static FontRef default_font();

 private:
  void changed(host::Change what) override;
};

// Pic keeps its state only: the control window draws it over the face.
class Image final : public host::StoredImage {};

class Timer final : public host::Timer {
 public:
  static constexpr UINT_PTR kId = 1;
  void set_window(HWND hwnd);
  bool enabled() override { return enabled_; }
  void set_enabled(bool on) override;
  std::int32_t interval() override { return interval_; }
  void set_interval(std::int32_t ms) override;

 private:
  void sync();
  HWND hwnd_ = nullptr;
  bool enabled_ = false;
  std::int32_t interval_ = 100;
};

// The control as its window shows it, composed once at the control's own size in a memory DC:
// `face` (the retained drawing, or what stands for it), the picture blended over it, the caption
// drawn by GDI in its font and colour. Blit from dc() while it lives.
class ComposedFace {
 public:
  ComposedFace(Raster face, host::Image& pic, host::Label& label, host::Platform& platform);
  HDC dc() const noexcept { return mem_.get(); }

 private:
  Bitmap dib_;
  MemoryDc mem_;
  std::optional<Selection> selected_;  // declared last: put back before the DC and bitmap go
};

class Platform final : public host::Platform {
 public:
  // Answers `rgb` for system colour `index` (0 to 255) instead of the system's own colour, so
  // that a tool can run with a known scheme.
  void pin_sys_color(int index, OleColor rgb);

  OleColor get_sys_color(int index) override;
  host::ScreenPoint cursor_pos() override;
  host::WindowHandle window_from_point(host::ScreenPoint p) override;

 private:
  std::array<std::optional<OleColor>, 256> pinned_{};
};

}  // namespace brelund::ax
