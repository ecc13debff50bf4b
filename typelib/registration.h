// What registration announces about the class Boton besides the GUIDs of brelund.idl.
#pragma once

#include <windows.h>

namespace brelund::ax::registration {

inline constexpr const wchar_t* kClassName = L"Boton";
inline constexpr const wchar_t* kProgId = L"Brelund.Boton.1";
inline constexpr const wchar_t* kVersionIndependentProgId = L"Brelund.Boton";
inline constexpr const wchar_t* kTypeLibVersion = L"1.0";
inline constexpr int kToolboxBitmapId = 30000;

// OLEMISC: recompose on resize, cannot link inside, inside-out, activate when visible, acts like
// a button, alignable, set client site first.
inline constexpr DWORD kMiscStatus = 0x1 | 0x10 | 0x80 | 0x100 | 0x1000 | 0x8000 | 0x20000;
static_assert(kMiscStatus == 0x00029191);

}  // namespace brelund::ax::registration
