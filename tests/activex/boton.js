// The control from JScript through cscript. JScript's numbers past a Long's range are doubles:
// a system colour written as 0x8000000F arrives as one, and must still reach the OLE_COLOR
// the type library publishes. Errors come back as script exceptions with the system's codes.
var failures = 0;
function check(ok, what) {
  if (!ok) {
    WScript.Echo("FAIL: " + what);
    failures++;
  }
}
// The HRESULT of a failed assignment as JScript reports it (number is signed 32-bit).
function error_of(f) {
  try {
    f();
  } catch (e) {
    return (e.number >>> 0).toString(16).toUpperCase();
  }
  return "none";
}

var b = new ActiveXObject("Brelund.Boton");
b.BackColor = 0x8000000F;
check(b.BackColorOriginal() == -2147483633, "BackColor from a double: " + b.BackColorOriginal());
check(error_of(function () { b.ForeColor = 0x80000012; }) == "none", "ForeColor from a double");
b.BackColor = 0x00336699;
check(b.BackColor == 0x00336699, "BackColor from a number: " + b.BackColor);
b.BackColor = "2147483663";
check(b.BackColorOriginal() == -2147483633, "BackColor from text holding a number");
b.RoundSize = 12.0;
check(b.RoundSize == 12, "RoundSize from a double");
b.MousePointer = 11;
check(b.MousePointer == 11, "MousePointer");
b.Caption = 42;
check(b.Caption == "42", "Caption from a number: " + b.Caption);
b.Enabled = 0;
check(b.Enabled == false, "Enabled from 0");
b.Enabled = true;

// DISP_E_OVERFLOW and DISP_E_TYPEMISMATCH, and the control's own error (380) for a pointer
// shape it does not have; nothing refused changes the value.
check(error_of(function () { b.BackColor = 5e10; }) == "8002000A", "a colour past 32 bits");
check(error_of(function () { b.RoundSize = "many"; }) == "80020005", "text into a Long");
check(error_of(function () { b.MousePointer = 70000; }) == "8002000A", "a pointer past 16 bits");
check(error_of(function () { b.MousePointer = 16; }) == "800A017C", "an unknown pointer shape");
check(b.RoundSize == 12 && b.MousePointer == 11, "refused values change nothing");

b = null;
CollectGarbage();
WScript.Echo(failures == 0 ? "done" : "failures: " + failures);
