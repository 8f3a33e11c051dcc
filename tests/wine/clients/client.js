// JScript client of Vellumtrace.dll, run by cscript under Wine: late
// binding by name (Summarize is DISPID 6). Summarises every case of CASES
// (lines name|lang|percent|html|in|out; texts UTF-16LE) into UTF-16 files.
// Script hosts exit 0 on an uncaught error, so the run ends with an explicit
// RESULT line and WScript.Quit(status).
//   cscript //nologo client.js CASES
var fso = new ActiveXObject("Scripting.FileSystemObject");
var passed = 0;
var failed = 0;

function report(ok, name, detail) {
  if (ok) {
    passed++;
    WScript.Echo("ok - " + name);
  } else {
    failed++;
    WScript.Echo("not ok - " + name + (detail ? ": " + detail : ""));
  }
}

function readUtf16(path) {
  var file = fso.OpenTextFile(path, 1, false, -1);
  var text = file.AtEndOfStream ? "" : file.ReadAll();
  file.Close();
  return text;
}

function writeUtf16(path, text) {
  var file = fso.CreateTextFile(path, true, true);
  file.Write(text);
  file.Close();
}

function runCase(fields) {
  var summarizer = new ActiveXObject("Vellumtrace.CSummarizer");
  if (fields[1] !== "") summarizer.SetLanguage(fields[1]);
  var result = summarizer.Summarize(readUtf16(fields[4]), parseInt(fields[2], 10),
                                    parseInt(fields[3], 10));
  writeUtf16(fields[5], result);
}

function checkRefusals() {
  var summarizer = new ActiveXObject("Vellumtrace.CSummarizer.1");
  var codes = ["../en", "C:", "x\\y"];
  for (var i = 0; i < codes.length; i++) {
    var number = 0;
    try {
      summarizer.SetLanguage(codes[i]);
    } catch (e) {
      number = e.number;
    }
    // E_INVALIDARG reaches the script as an error.
    report(number == -2147024809, "SetLanguage refuses '" + codes[i] + "'", "error " + number);
  }
}

function main() {
  var cases = fso.OpenTextFile(WScript.Arguments(0), 1, false, 0);
  while (!cases.AtEndOfStream) {
    var line = cases.ReadLine();
    if (line === "") continue;
    var fields = line.split("|");
    try {
      runCase(fields);
      report(true, fields[0]);
    } catch (e) {
      report(false, fields[0], "error " + e.number + " " + e.description);
    }
  }
  cases.Close();
  checkRefusals();
}

try {
  main();
} catch (e) {
  report(false, "client.js", "error " + e.number + " " + e.description);
}
WScript.Echo("RESULT pass=" + passed + " fail=" + failed);
WScript.Quit(failed === 0 && passed > 0 ? 0 : 1);
