' The control from VBScript through cscript: create it by its ProgID, set and read properties,
' call the methods, and see an error come back as a script error with the control's number.
Option Explicit
Dim b, failures
failures = 0

Sub Check(ok, what)
  If Not ok Then
    WScript.Echo "FAIL: " & what
    failures = failures + 1
  End If
End Sub

Set b = CreateObject("Brelund.Boton")
' The script sees the type of the dispatch interface, _Boton.
Check TypeName(b) = "_Boton", "TypeName is _Boton, got " & TypeName(b)
' Wine's VBScript has no ChrW: the accented default caption is checked by its shape.
Check Left(b.Caption, 3) = "Bot" And Len(b.Caption) = 5, "a new button's caption"
Check b.RoundSize = 20, "a new button's RoundSize"

b.Caption = "Aceptar"
Check b.Caption = "Aceptar", "Caption"
b.Enabled = False
Check b.Enabled = False, "Enabled"
b.Enabled = True
b.RoundSize = 12
Check b.RoundSize = 12, "RoundSize"
b.Light = "30"
Check b.Light = 30, "Light converts text"
b.BackColor = &H00FF8000&
Check b.BackColor = &H00FF8000&, "BackColor"
Check b.BackColorOriginal() = &H00FF8000&, "BackColorOriginal"
' A system colour is a negative Long in VBScript, and a Double past a Long's range.
b.BackColor = &H8000000F
Check b.BackColorOriginal() = &H8000000F, "BackColor takes a system colour as a Long"
b.BackColor = 2147483663
Check b.BackColorOriginal() = &H8000000F, "BackColor takes a system colour as a Double"
b.BackColor = &H00FF8000&
b.ForeColor = vbRed
Check b.ForeColor = vbRed, "ForeColor"
b.ToolTipText = "Pulse aqui"
Check b.ToolTipText = "Pulse aqui", "ToolTipText"
b.CreateRegion = False
Check b.CreateRegion = False, "CreateRegion"
b.Roundness3D = 5
Check b.Roundness3D = 5, "Roundness3D"
b.MousePointer = 11
Check b.MousePointer = 11, "MousePointer"
Check TypeName(b.Font) <> "Nothing", "Font is an object"

b.CreaNuevaRegion
b.Refresh

On Error Resume Next
b.MousePointer = 40000
Check Err.Number = 6, "overflow is error 6, got " & Err.Number
Err.Clear
b.RoundSize = "many"
Check Err.Number = 13, "type mismatch is error 13, got " & Err.Number
Err.Clear
On Error GoTo 0
Check b.RoundSize = 12, "a failed assignment changes nothing"

Set b = Nothing
WScript.Echo "done"
