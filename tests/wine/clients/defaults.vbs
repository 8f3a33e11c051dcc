' VBScript host of Vellumtrace.dll as a macro writer uses it: the ProgID,
' Summarize with its defaults (20 percent, plain text), and the error a
' failing call raises. Writes the result as UTF-16 to OUT.
'   cscript //nologo defaults.vbs TEXT OUT
Option Explicit

Dim fso, passed, failed, s, text, result, file
Set fso = CreateObject("Scripting.FileSystemObject")
passed = 0
failed = 0

Sub Report(ok, name, detail)
  If ok Then
    passed = passed + 1
    WScript.Echo "ok - " & name
  Else
    failed = failed + 1
    WScript.Echo "not ok - " & name & ": " & detail
  End If
End Sub

On Error Resume Next
Set s = CreateObject("Vellumtrace.CSummarizer")
Report Err.Number = 0, "CreateObject", Err.Number & " " & Err.Description
Err.Clear
Set file = fso.OpenTextFile(WScript.Arguments(0), 1, False, -1)
text = file.ReadAll()
file.Close

result = s.Summarize(text)
Report Err.Number = 0, "Summarize(t) with its defaults", Err.Number & " " & Err.Description
Err.Clear
Set file = fso.CreateTextFile(WScript.Arguments(1), True, True)
file.Write result
file.Close

result = s.Summarize(String(50000, "x"))
Report Err.Number = &H80070057, "a text of 50,000 characters raises E_INVALIDARG", Hex(Err.Number)
Report Err.Source = "Vellumtrace.CSummarizer", "Err.Source is ours", Err.Source
Report InStr(Err.Description, "49,999") > 0, "Err.Description names the limit", Err.Description
Err.Clear

WScript.Echo "RESULT pass=" & passed & " fail=" & failed
If failed = 0 And passed > 0 Then WScript.Quit 0 Else WScript.Quit 1
