#include "host/activex/dispatch_args.h"

namespace brelund::ax {

namespace {

VARTYPE published_type(ValueType t) {
  switch (t) {
    case ValueType::string:
      return VT_BSTR;
    case ValueType::boolean:
      return VT_BOOL;
    case ValueType::int16:
      return VT_I2;
    case ValueType::ole_color:
      return VT_UI4;
    case ValueType::int32:
      return VT_I4;
    default:
      return VT_EMPTY;  // objects and methods: nothing to convert
  }
}

// A reference whose pointer is null, at any depth of VT_VARIANT | VT_BYREF: VariantCopyInd
// would read through it.
bool null_reference(const VARIANT& v) {
  const VARIANT* at = &v;
  for (int depth = 0; depth < 8; ++depth) {
    if ((V_VT(at) & VT_BYREF) == 0) return false;
    if (!V_BYREF(at)) return true;
    if (V_VT(at) != (VT_VARIANT | VT_BYREF)) return false;
    at = V_VARIANTREF(at);
  }
  return true;  // deeper than any client nests: refused rather than followed
}

bool unsigned_or_wide(VARTYPE vt) {
  return vt == VT_UI1 || vt == VT_UI2 || vt == VT_UI4 || vt == VT_UINT || vt == VT_UI8 ||
         vt == VT_I8;
}

// An integer into a signed target, range-checked on a 64-bit copy: not every system's
// conversion refuses an unsigned value past the signed range (some wrap it).
HRESULT to_signed(VARIANT* v, LCID lcid, VARTYPE want) {
  VARIANT wide;
  VariantInit(&wide);
  if (const HRESULT hr = VariantChangeTypeEx(&wide, v, lcid, 0, VT_I8); FAILED(hr)) return hr;
  const LONGLONG x = V_I8(&wide);
  const LONGLONG lo = want == VT_I2 ? -32768 : -2147483647LL - 1;
  const LONGLONG hi = want == VT_I2 ? 32767 : 2147483647LL;
  if (x < lo || x > hi) return DISP_E_OVERFLOW;
  VariantClear(v);
  V_VT(v) = want;
  if (want == VT_I2)
    V_I2(v) = static_cast<SHORT>(x);
  else
    V_I4(v) = static_cast<LONG>(x);
  return S_OK;
}

}  // namespace

HRESULT check_dispparams(const DISPPARAMS& p) noexcept {
  if (p.cArgs > 0 && !p.rgvarg) return E_INVALIDARG;
  if (p.cNamedArgs > 0 && !p.rgdispidNamedArgs) return E_INVALIDARG;
  if (p.cNamedArgs > p.cArgs) return E_INVALIDARG;
  return S_OK;
}

HRESULT convert_argument(ValueType type, const VARIANT& in, LCID lcid, VARIANT* out) noexcept {
  VariantInit(out);
  if (null_reference(in)) return E_INVALIDARG;
  if (const HRESULT hr = VariantCopyInd(out, const_cast<VARIANT*>(&in)); FAILED(hr)) return hr;
  const VARTYPE want = published_type(type);
  const VARTYPE vt = V_VT(out);
  if (want == VT_EMPTY || vt == want || vt == VT_EMPTY || vt == VT_NULL || vt == VT_ERROR)
    return S_OK;
  if (want == VT_UI4) {
    // The bits of a signed 32-bit number are the colour itself.
    if (vt == VT_I4 || vt == VT_INT || vt == VT_UINT) {
      V_VT(out) = VT_UI4;
      return S_OK;
    }
    HRESULT hr = VariantChangeTypeEx(out, out, lcid, 0, VT_UI4);
    // A negative number that fits a Long is that Long's bits, as VB writes system colours.
    if (hr == DISP_E_OVERFLOW && (hr = VariantChangeTypeEx(out, out, lcid, 0, VT_I4)) == S_OK)
      V_VT(out) = VT_UI4;
    if (FAILED(hr)) VariantClear(out);
    return hr;
  }
  const HRESULT hr = (want == VT_I2 || want == VT_I4) && unsigned_or_wide(vt)
                         ? to_signed(out, lcid, want)
                         : VariantChangeTypeEx(out, out, lcid, VARIANT_ALPHABOOL, want);
  if (FAILED(hr)) VariantClear(out);
  return hr;
}

}  // namespace brelund::ax
