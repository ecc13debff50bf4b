#include "host/activex/win32_host.h"

#include <algorithm>
#include <vector>

#include "host/activex/caption_gdi.h"
#include "host/activex/ole_values.h"
#include "brelund/error.h"
#include "brelund/units.h"
#include "control/numeric.h"
#include "shape/region.h"
#include "render/colour.h"

namespace brelund::ax {

namespace {

[[noreturn]] void host_failure(const char* what) {
  throw Error(errors::kInvalidProcedureCall,
              std::string("Invalid procedure call or argument: ") + what);
}
}  // namespace

// ---- Surface ----

void Surface::set_window(HWND hwnd) {
  hwnd_ = hwnd;
  applied_.reset();  // a new window has no shape yet
  if (hwnd_) {
    EnableWindow(hwnd_, enabled() != 0);
    apply_shape();
  }
}

void Surface::changed(host::Change what) {
  if (what == host::Change::drawing) drawn_ = redrawn_ = true;
  if (!hwnd_) return;
  switch (what) {
    case host::Change::drawing:
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    case host::Change::enabled:
      EnableWindow(hwnd_, enabled() != 0);
      break;
    case host::Change::mask:
      apply_shape();
      break;
    default:
      break;
  }
}

void Surface::redraw() {
  if (!hwnd_) return;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

Region Surface::shape_region(const XFORM* transform) const {
  const MaskRef& mask = mask_picture();
  if (!mask || mask->handle() == 0) return {};
  // One rectangle per run of the mask.
  std::vector<RECT> rects;
  mask->for_each_run([&](int y, int from, int to) { rects.push_back({from, y, to, y + 1}); });
  std::vector<std::byte> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* rd = reinterpret_cast<RGNDATA*>(data.data());
  rd->rdh.dwSize = sizeof(RGNDATAHEADER);
  rd->rdh.iType = RDH_RECTANGLES;
  rd->rdh.nCount = static_cast<DWORD>(rects.size());
  rd->rdh.rcBound = {0, 0, mask->width(), mask->height()};
  std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(rd->Buffer));
  Region rgn(ExtCreateRegion(transform, static_cast<DWORD>(data.size()), rd));
  if (!rgn) host_failure("ExtCreateRegion");
  return rgn;
}

void Surface::apply_shape() {
  const MaskRef& mask = mask_picture();
  if (!hwnd_ || !mask) return;
  if (applied_ && (applied_ == mask || *applied_ == *mask)) {
    applied_ = mask;  // the old value need not be kept for the comparison
    return;
  }
  Region rgn = shape_region();
  // The window keeps the region it is given; on failure ours is still ours to delete.
  if (!SetWindowRgn(hwnd_, rgn.get(), TRUE)) return;
  rgn.release();
  applied_ = mask;
}

// ---- Label ----

// The caption's font as the designer left it, the containers' usual default: a new button in a
// container without an ambient font then saves no font of its own.
FontRef Label::default_font() {
  auto f = std::make_shared<Font>();
  f->name = "MS Sans Serif";
  return f;
}

Label::Label() : StoredLabel(default_font()) { changed(host::Change::text); }

void Label::changed(host::Change what) {
  if (what != host::Change::text && what != host::Change::measure) return;
  if (pinned()) return measured(0, 0);
  // The caption sizes itself to its text in its own font, as a label with AutoSize does.
  MemoryDc dc;
  FontHandle font(create_gdi_font(*this->font()));
  Selection sel(dc.get(), font.get());
  const SIZE s = measure_caption(dc.get(), caption());
  measured(units::twips_of_pixels(s.cx), units::twips_of_pixels(s.cy));
}

// ---- Timer ----

void Timer::set_window(HWND hwnd) {
  if (hwnd_ && enabled_) KillTimer(hwnd_, kId);
  hwnd_ = hwnd;
  sync();
}

void Timer::set_enabled(bool on) {
  enabled_ = on;
  sync();
}

void Timer::set_interval(std::int32_t ms) {
  interval_ = ms;
  sync();
}

void Timer::sync() {
  if (!hwnd_) return;  // without a window the timer starts when the window exists
  if (enabled_ && interval_ > 0)
    SetTimer(hwnd_, kId, static_cast<UINT>(interval_), nullptr);
  else
    KillTimer(hwnd_, kId);
}

// ---- Platform ----

void Platform::pin_sys_color(int index, OleColor rgb) {
  if (index < 0 || index > 255)
    throw Error(errors::kInvalidProcedureCall, "Invalid procedure call or argument");
  pinned_[static_cast<std::size_t>(index)] = rgb;
}

OleColor Platform::get_sys_color(int index) {
  if (index >= 0 && index <= 255)
    if (const auto& p = pinned_[static_cast<std::size_t>(index)]) return *p;
  return static_cast<OleColor>(GetSysColor(index));
}

host::ScreenPoint Platform::cursor_pos() {
  POINT p{};
  if (!GetCursorPos(&p)) host_failure("GetCursorPos");
  return {p.x, p.y};
}

host::WindowHandle Platform::window_from_point(host::ScreenPoint p) {
  return HandleToUlong(WindowFromPoint(POINT{p.x, p.y}));
}

ComposedFace::ComposedFace(Raster face, host::Image& pic, host::Label& label,
                           host::Platform& platform) {
  if (pic.visible()) {
    if (const PictureRef p = pic.picture(); p && p->handle != 0)
      blend(face, p->pixels.data(), p->width, p->height, units::position_pixels(pic.left()),
            units::position_pixels(pic.top()));
  }
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), face.width, -face.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  dib_ = Bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib_) throw Error(errors::kOutOfMemory, "Out of memory");
  std::copy(face.pixels.begin(), face.pixels.end(), static_cast<std::uint32_t*>(bits));
  selected_.emplace(mem_.get(), dib_.get());
  if (const FontRef font = label.font()) {
    FontHandle f(create_gdi_font(*font));
    Selection sel(mem_.get(), f.get());
    SetBkMode(mem_.get(), TRANSPARENT);
    SetTextColor(mem_.get(), static_cast<COLORREF>(SysColorToRgb(platform, label.fore_color())));
    draw_caption(mem_.get(), units::position_pixels(label.left()),
                 units::position_pixels(label.top()), label.caption());
  }
}

}  // namespace brelund::ax
