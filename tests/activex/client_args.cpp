// Arguments as automation clients really send them: JScript's doubles, text holding numbers,
// VB's negative Longs for system colours, references, and DISPPARAMS that are plainly broken.
#include "client_com.h"

namespace client {

namespace {

VARIANT number(double v) {
  VARIANT x;
  VariantInit(&x);
  V_VT(&x) = VT_R8;
  V_R8(&x) = v;
  return x;
}

HRESULT invoke_put(IDispatch* d, DISPID id, DISPPARAMS& p, UINT* arg_err = nullptr) {
  return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &p, nullptr, nullptr,
                   arg_err);
}

void converted_by_published_type(IDispatch* d) {
  // OLE_COLOR: JScript's 0x8000000F is a double; a VB Long holds the same bits negative; text
  // holding the number converts too.
  CHECK_HR(put(d, L"BackColor", number(2147483663.0)), S_OK, "BackColor from a double");
  check_eq(static_cast<unsigned long>(get_long(d, L"BackColorOriginal")), 0x8000000Ful,
           "the double arrives as the system colour");
  CHECK_HR(put(d, L"BackColor", long_value(static_cast<long>(0x80000012u))), S_OK,
           "BackColor from a negative Long");
  check_eq(static_cast<unsigned long>(get_long(d, L"BackColorOriginal")), 0x80000012ul,
           "the Long's bits are the colour");
  VARIANT text = string_value(L"2147483653");
  CHECK_HR(put(d, L"ForeColor", text), S_OK, "ForeColor from text holding a number");
  VariantClear(&text);
  CHECK_HR(put(d, L"BackColor", number(-2147483633.0)), S_OK, "a negative double that fits a Long");
  check_eq(static_cast<unsigned long>(get_long(d, L"BackColorOriginal")), 0x8000000Ful,
           "the negative double is the same colour");
  CHECK_HR(put(d, L"BackColor", number(5e10)), DISP_E_OVERFLOW, "a colour past 32 bits");
  text = string_value(L"red");
  CHECK_HR(put(d, L"BackColor", text), DISP_E_TYPEMISMATCH, "a colour that is no number");
  VariantClear(&text);
  check_eq(static_cast<unsigned long>(get_long(d, L"BackColorOriginal")), 0x8000000Ful,
           "refused colours change nothing");

  // Long, Integer, Boolean and String members take what converts to them.
  CHECK_HR(put(d, L"RoundSize", number(12.0)), S_OK, "RoundSize from a double");
  check_eq(get_long(d, L"RoundSize"), 12L, "the double's value");
  CHECK_HR(put(d, L"RoundSize", number(3e9)), DISP_E_OVERFLOW, "a Long past its range");
  CHECK_HR(put(d, L"MousePointer", number(11.0)), S_OK, "MousePointer from a double");
  check_eq(get_long(d, L"MousePointer"), 11L, "the pointer shape");
  CHECK_HR(put(d, L"Caption", long_value(5)), S_OK, "Caption from a number");
  check(get_string(d, L"Caption") == L"5", "the number's text is the caption");
  text = string_value(L"False");
  CHECK_HR(put(d, L"Enabled", text), S_OK, "Enabled from text");
  VariantClear(&text);
  check_eq(get_long(d, L"Enabled"), 0L, "\"False\" disables");
  CHECK_HR(put(d, L"Enabled", long_value(1)), S_OK, "Enabled from a number");
  check_eq(get_long(d, L"Enabled"), -1L, "any non-zero number enables");

  // An array converts to nothing scalar.
  SAFEARRAYBOUND bound{2, 0};
  VARIANT arr;
  VariantInit(&arr);
  V_VT(&arr) = VT_ARRAY | VT_I4;
  V_ARRAY(&arr) = SafeArrayCreate(VT_I4, 1, &bound);
  CHECK_HR(put(d, L"RoundSize", arr), DISP_E_TYPEMISMATCH, "an array is no Long");
  VariantClear(&arr);
}

void references_and_broken_dispparams(IDispatch* d) {
  const DISPID round = dispid_of(d, L"RoundSize");
  DISPID named = DISPID_PROPERTYPUT;

  // By reference, as VB passes a variable.
  LONG value = 33;
  VARIANT ref;
  VariantInit(&ref);
  V_VT(&ref) = VT_I4 | VT_BYREF;
  V_I4REF(&ref) = &value;
  DISPPARAMS p{&ref, &named, 1, 1};
  CHECK_HR(invoke_put(d, round, p), S_OK, "a Long by reference");
  check_eq(get_long(d, L"RoundSize"), 33L, "the referenced value");
  V_I4REF(&ref) = nullptr;
  CHECK_HR(invoke_put(d, round, p), E_INVALIDARG, "a reference to nothing");
  VARIANT inner;
  VariantInit(&inner);
  V_VT(&inner) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&inner) = &ref;  // which holds a null VT_I4 reference
  p.rgvarg = &inner;
  CHECK_HR(invoke_put(d, round, p), E_INVALIDARG, "a Variant referring to a reference to nothing");

  DISPPARAMS no_args{nullptr, &named, 1, 1};
  CHECK_HR(invoke_put(d, round, no_args), E_INVALIDARG, "rgvarg null with one argument");
  VARIANT v = long_value(7);
  DISPPARAMS no_names{&v, nullptr, 1, 1};
  CHECK_HR(invoke_put(d, round, no_names), E_INVALIDARG, "rgdispidNamedArgs null with one name");
  DISPID names[2] = {DISPID_PROPERTYPUT, DISPID_PROPERTYPUT};
  DISPPARAMS more_names{&v, names, 1, 2};
  CHECK_HR(invoke_put(d, round, more_names), E_INVALIDARG, "more names than arguments");
  DISPPARAMS get_named{&v, names, 1, 1};
  VariantHolder out;
  CHECK_HR(d->Invoke(round, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &get_named,
                     out.get(), nullptr, nullptr),
           DISP_E_NONAMEDARGS, "a read with a named argument");
  check_eq(get_long(d, L"RoundSize"), 33L, "nothing broken reached the control");
  UINT arg_err = 99;
  VARIANT bad = string_value(L"x");
  DISPPARAMS mismatch{&bad, &named, 1, 1};
  CHECK_HR(invoke_put(d, round, mismatch, &arg_err), DISP_E_TYPEMISMATCH, "text into a Long");
  check_eq(arg_err, 0u, "the mismatch names argument 0");
  VariantClear(&bad);
}

}  // namespace

void argument_checks() {
  ComPtr<IDispatch> d = create_boton();
  if (!d) return;
  converted_by_published_type(d.get());
  references_and_broken_dispparams(d.get());
}

}  // namespace client
