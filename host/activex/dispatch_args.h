// What IDispatch::Invoke hands over, checked and converted before a member sees it: the shape
// of DISPPARAMS, and each argument turned into the type the type library publishes for the
// member, the way the system's own dispatcher (DispInvoke) converts.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "control/property_table.h"

namespace brelund::ax {

// S_OK when `p` is a well-formed DISPPARAMS: argument and named-argument arrays present for
// their counts, no more names than arguments. E_INVALIDARG otherwise.
HRESULT check_dispparams(const DISPPARAMS& p) noexcept;

// Converts `in` (by reference or not) into `out` holding the VARTYPE the member is published
// with. Objects, Empty, Null and missing arguments are passed on as they are for the control
// to judge. OLE_COLOR arrives as VT_UI4 from any number that fits 32 bits, signed (a VB Long
// holding &H8000000F) or unsigned (JScript's 0x8000000F, a double). Answers
// DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW or E_INVALIDARG (a null reference) otherwise.
HRESULT convert_argument(ValueType type, const VARIANT& in, LCID lcid, VARIANT* out) noexcept;

}  // namespace brelund::ax
