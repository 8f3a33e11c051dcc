' VBScript client of Vellumtrace.dll, run by cscript under Wine through
' late binding. Summarises every case of CASES (lines
' name|lang|percent|html|in|out; texts UTF-16LE) into UTF-16 files. Script
' hosts exit 0 on an uncaught error, so the run ends with an explicit
' RESULT line and WScript.Quit(status).
'   cscript //nologo client.vbs CASES
Option Explicit

Dim fso, passed, failed
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

Function ReadUtf16(path)
  Dim file
  Set file = fso.OpenTextFile(path, 1, False, -1)
  If file.AtEndOfStream Then
    ReadUtf16 = ""
  Else
    ReadUtf16 = file.ReadAll()
  End If
  file.Close
End Function

Sub WriteUtf16(path, text)
  Dim file
  Set file = fso.CreateTextFile(path, True, True)
  file.Write text
  file.Close
End Sub

Sub RunCase(fields)
  Dim summarizer, result
  Set summarizer = CreateObject("Vellumtrace.CSummarizer")
  If fields(1) <> "" Then summarizer.SetLanguage fields(1)
  result = summarizer.Summarize(ReadUtf16(fields(4)), CLng(fields(2)), CLng(fields(3)))
  WriteUtf16 fields(5), result
End Sub

Sub Main()
  Dim cases, line, fields
  Set cases = fso.OpenTextFile(WScript.Arguments(0), 1, False, 0)
  Do While Not cases.AtEndOfStream
    line = cases.ReadLine()
    If line <> "" Then
      fields = Split(line, "|")
      On Error Resume Next
      RunCase fields
      If Err.Number = 0 Then
        Report True, fields(0), ""
      Else
        Report False, fields(0), "error " & Err.Number & " " & Err.Description
      End If
      Err.Clear
      On Error GoTo 0
    End If
  Loop
  cases.Close
End Sub

On Error Resume Next
Main
If Err.Number <> 0 Then Report False, "client.vbs", "error " & Err.Number & " " & Err.Description
On Error GoTo 0
WScript.Echo "RESULT pass=" & passed & " fail=" & failed
If failed = 0 And passed > 0 Then
  WScript.Quit 0
Else
  WScript.Quit 1
End If
