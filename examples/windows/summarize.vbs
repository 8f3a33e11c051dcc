' Summarizes a text file with Vellumtrace from VBScript (late binding).
'   cscript //nologo summarize.vbs TEXT LANGUAGE PERCENT [OUTPUT]
' TEXT is read as Unicode (UTF-16: "Unicode" in Notepad's Save As); the
' summary goes to OUTPUT as UTF-16, or to the console without it. The same
' script runs in the 32-bit and the 64-bit cscript.exe.
Option Explicit

Dim fso, args, file, text, summarizer, summary
Set fso = CreateObject("Scripting.FileSystemObject")
Set args = WScript.Arguments
If args.Count < 3 Then
  WScript.Echo "usage: cscript //nologo summarize.vbs TEXT LANGUAGE PERCENT [OUTPUT]"
  WScript.Quit 2
End If

Set file = fso.OpenTextFile(args(0), 1, False, -1)   ' for reading, as Unicode
text = ""
If Not file.AtEndOfStream Then text = file.ReadAll()
file.Close

On Error Resume Next
Set summarizer = CreateObject("Vellumtrace.CSummarizer")
summarizer.SetLanguage args(1)                       ' dic\<LANGUAGE>.xml
' Percent, then 0 for plain text (1: the whole text as HTML).
summary = summarizer.Summarize(text, CLng(args(2)), 0)
If Err.Number <> 0 Then
  ' Err.Source and Err.Description are the component's own.
  WScript.Echo "Vellumtrace failed: " & Err.Description & " (0x" & Hex(Err.Number) & ")"
  WScript.Quit 1
End If
On Error GoTo 0

If args.Count > 3 Then
  Set file = fso.CreateTextFile(args(3), True, True)  ' overwrite, as Unicode
  file.Write summary
  file.Close
Else
  WScript.Echo summary
End If
