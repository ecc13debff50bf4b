// Owning handles for the GDI and window objects the host makes: a region, bitmap or font is
// deleted, a memory DC deleted, a window DC released and a paint ended by its destructor.
#pragma once

#include <windows.h>

#include <utility>

namespace brelund::ax {

template <class H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H h) : h_(h) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  GdiObject& operator=(GdiObject&& o) noexcept {
    std::swap(h_, o.h_);
    return *this;
  }
  ~GdiObject() {
    if (h_) DeleteObject(h_);
  }
  H get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  // Ownership passes elsewhere (SetWindowRgn keeps the region it is given).
  H release() noexcept { return std::exchange(h_, nullptr); }

 private:
  H h_ = nullptr;
};

using Region = GdiObject<HRGN>;
using Bitmap = GdiObject<HBITMAP>;
using FontHandle = GdiObject<HFONT>;

// An accelerator table, destroyed with its owner.
class AcceleratorTable {
 public:
  AcceleratorTable() = default;
  explicit AcceleratorTable(HACCEL h) : h_(h) {}
  AcceleratorTable(const AcceleratorTable&) = delete;
  AcceleratorTable& operator=(const AcceleratorTable&) = delete;
  AcceleratorTable& operator=(AcceleratorTable&& o) noexcept {
    std::swap(h_, o.h_);
    return *this;
  }
  ~AcceleratorTable() {
    if (h_) DestroyAcceleratorTable(h_);
  }
  HACCEL get() const noexcept { return h_; }

 private:
  HACCEL h_ = nullptr;
};

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ obj) : dc_(dc), old_(SelectObject(dc, obj)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves the DC's state (clip region, colours, mode) for one scope.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;
  ~SavedDc() {
    if (id_) RestoreDC(dc_, id_);
  }

 private:
  HDC dc_;
  int id_;
};

// A window's DC, released by its destructor.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  HDC dc() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace brelund::ax
