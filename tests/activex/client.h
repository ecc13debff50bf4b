// The Wine test client of Brelund32.ocx: a few checks per subcommand, each failure printed
// with what was expected, the exit code the number of failures.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace client {

inline int g_failures = 0;

inline void check(bool ok, const char* what, const std::string& detail = {}) {
  if (ok) return;
  ++g_failures;
  std::printf("FAIL: %s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
  std::fflush(stdout);
}

// Runs the thread's message loop for `ms` milliseconds: windowed checks let the control and
// its container see what was posted to them.
inline void pump(int ms) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  MSG msg;
  while (GetTickCount() < end) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
}

// A function of a loaded DLL, as the type the caller names.
template <class F>
F proc(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

inline std::string hex(long v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(v));
  return b;
}

template <class A, class B>
void check_eq(const A& actual, const B& expected, const char* what) {
  if (actual == expected) return;
  check(false, what, "got " + std::to_string(actual) + ", want " + std::to_string(expected));
}

inline void check_hr(HRESULT hr, const char* what) {
  check(SUCCEEDED(hr), what, "HRESULT " + hex(hr));
}

// An HRESULT that must be exactly `want`: a failure names both codes and the line.
inline void check_hr_is(HRESULT got, HRESULT want, const char* what, int line) {
  if (got == want) return;
  check(false, what,
        "line " + std::to_string(line) + ": HRESULT " + hex(got) + ", want " + hex(want));
}
#define CHECK_HR(got, want, what) ::client::check_hr_is((got), (want), (what), __LINE__)

// Subcommands.
int typelib_checks();  // the type library as published, and the member table against it
int resource_checks(const wchar_t* ocx);
int registry_checks(bool registered);
int dispatch_checks();   // properties and methods through IDispatch, without a window
void argument_checks();  // arguments converted to their published types; malformed DISPPARAMS
void stream_persistence_checks();
void bag_and_site_checks();  // IPersistPropertyBag, and a client site's extender and ambient font
int container_checks();      // in AtlAxWin: events, click, corners, persistence
int lifetime_checks();       // a container that lets go of the control inside its events
int form_checks();           // two buttons and an edit box on a form, real input
int atl_dialog_checks();     // two controls in ATL host windows under a dialog loop, real input
int ole_checks();            // streams, storages, notifications, fonts, activation, drawing
void diagnostics_checks();   // the private interface a tool in the container watches through
void picture_checks();       // the system's picture types saved in their own form and loaded back
void bounds_checks();        // extents, Draw, Advise, DoVerb and EnumVerbs as OLE documents them
int order_checks();          // form runtimes' call orders around Load; the ambient font
int roundrect_checks();      // shape::rasterize against CreateRoundRectRgn
int accessible_checks();     // what a screen reader gets through oleacc, in ATL's host and ours
// The control at the screen's DPI, which must be `dpi`; with a path, a gallery row drawn there.
int dpi_checks(int dpi, const wchar_t* gallery_path);

}  // namespace client
