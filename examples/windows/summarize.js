// Summarizes a text file with Vellumtrace from JScript (late binding).
//   cscript //nologo summarize.js TEXT LANGUAGE PERCENT [OUTPUT]
// TEXT is read as Unicode (UTF-16: "Unicode" in Notepad's Save As); the
// summary goes to OUTPUT as UTF-16, or to the console without it. The same
// script runs in the 32-bit and the 64-bit cscript.exe.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var args = WScript.Arguments;
if (args.length < 3) {
  WScript.Echo("usage: cscript //nologo summarize.js TEXT LANGUAGE PERCENT [OUTPUT]");
  WScript.Quit(2);
}

var input = fso.OpenTextFile(args(0), 1, false, -1);  // for reading, as Unicode
var text = input.AtEndOfStream ? "" : input.ReadAll();
input.Close();

try {
  var summarizer = new ActiveXObject("Vellumtrace.CSummarizer");
  summarizer.SetLanguage(args(1));                     // dic\<LANGUAGE>.xml
  // Percent, then 0 for plain text (1: the whole text as HTML).
  var summary = summarizer.Summarize(text, parseInt(args(2), 10), 0);
} catch (e) {
  // e.number is the HRESULT; the component sets its own description.
  WScript.Echo("Vellumtrace failed: " + e.description + " (0x" +
               (e.number >>> 0).toString(16) + ")");
  WScript.Quit(1);
}

if (args.length > 3) {
  var output = fso.CreateTextFile(args(3), true, true);  // overwrite, as Unicode
  output.Write(summary);
  output.Close();
} else {
  WScript.Echo(summary);
}
