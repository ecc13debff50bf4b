// HIMETRIC, the unit OLE sizes objects in, against the control's twips (15 to the pixel).
// A container turns its pixels into HIMETRIC at the screen's logical pixels per inch (ATL's
// host, a form runtime), so the control turns them back at the same figure: a button placed
// 300 pixels wide stays 300 pixels wide at 96, 120 or 144 pixels per inch, and its twips, its
// mask and its face follow those pixels. At 96 the figures are the classic 1440 twips to 2540
// HIMETRIC.
#pragma once

#include <windows.h>

#include <cmath>

#include "brelund/units.h"

namespace brelund::ax {

inline constexpr int kHimetricPerInch = 2540;

// The screen's logical pixels per inch, read at each call: Windows changes it only with a new
// sign-in, but a container measures with what it reads at the moment, and so does the control.
struct ScreenDpi {
  int x = 96, y = 96;
};
inline ScreenDpi screen_dpi() noexcept {
  ScreenDpi d;
  if (HDC screen = GetDC(nullptr)) {
    const int x = GetDeviceCaps(screen, LOGPIXELSX), y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (x > 0 && y > 0) d = {x, y};
  }
  return d;
}

// Whole twips of the control, nearest.
inline float twips_of_himetric(LONG himetric, int dpi) noexcept {
  return static_cast<float>(
      std::lround(himetric * (dpi * double{units::kTwipsPerPixel}) / kHimetricPerInch));
}
inline LONG himetric_of_twips(float twips, int dpi) noexcept {
  return std::lround(twips * double{kHimetricPerInch} / (dpi * double{units::kTwipsPerPixel}));
}
// Pixels, fractional, of a size in HIMETRIC (a picture's).
inline double pixels_of_himetric(LONG himetric, int dpi) noexcept {
  return himetric * static_cast<double>(dpi) / kHimetricPerInch;
}

}  // namespace brelund::ax
