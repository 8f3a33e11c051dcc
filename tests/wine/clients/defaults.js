// JScript host of Vellumtrace.dll: Summarize with its defaults (20 percent,
// plain text), and what a failing call's exception says. Writes the result
// as UTF-16 to OUT.
//   cscript //nologo defaults.js TEXT OUT
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

function main() {
  var s = new ActiveXObject("Vellumtrace.CSummarizer");
  var file = fso.OpenTextFile(WScript.Arguments(0), 1, false, -1);
  var text = file.ReadAll();
  file.Close();
  var result = s.Summarize(text);
  file = fso.CreateTextFile(WScript.Arguments(1), true, true);
  file.Write(result);
  file.Close();
  report(true, "Summarize(t) with its defaults");

  var tooLong = new Array(50001).join("x");
  var caught = null;
  try {
    s.Summarize(tooLong);
  } catch (e) {
    caught = e;
  }
  report(caught !== null && caught.number == -2147024809,
         "a text of 50,000 characters raises E_INVALIDARG", caught && caught.number);
  report(caught !== null && caught.description.indexOf("49,999") >= 0 &&
             caught.description.indexOf("50,000") >= 0,
         "the exception's description names the limit and the length",
         caught && caught.description);
}

try {
  main();
} catch (e) {
  report(false, "defaults.js", "error " + e.number + " " + e.description);
}
WScript.Echo("RESULT pass=" + passed + " fail=" + failed);
WScript.Quit(failed === 0 && passed > 0 ? 0 : 1);
