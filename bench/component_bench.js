// The late-bound half of bench/component_bench.sh, run by cscript: per-call
// time of Summarize (20 %, text) from JScript on one object kept across
// calls, the fastest of five batches after a warm-up.
//   cscript //nologo component_bench.js SECONDS TEXT...   (texts UTF-16LE)
// One line per text: "jscript NAME UNITS MICROSECONDS".
var fso = new ActiveXObject("Scripting.FileSystemObject");

function readUtf16(path) {
  var file = fso.OpenTextFile(path, 1, false, -1);
  var text = file.AtEndOfStream ? "" : file.ReadAll();
  file.Close();
  return text;
}

function perCall(summarizer, text, seconds) {
  var i;
  for (i = 0; i < 3; i++) summarizer.Summarize(text, 20, 0);
  var start = new Date().getTime();
  var calls = 0;
  while (new Date().getTime() - start < seconds * 1000 / 20 || calls < 1) {
    summarizer.Summarize(text, 20, 0);
    calls++;
  }
  var perBatch = Math.max(1, calls * 4);
  var batches = [];
  for (var batch = 0; batch < 5; batch++) {
    start = new Date().getTime();
    for (i = 0; i < perBatch; i++) summarizer.Summarize(text, 20, 0);
    batches.push((new Date().getTime() - start) * 1000 / perBatch);
  }
  batches.sort(function (a, b) { return a - b; });
  return batches[0];
}

var seconds = parseFloat(WScript.Arguments(0));
var summarizer = new ActiveXObject("Vellumtrace.CSummarizer");
for (var n = 1; n < WScript.Arguments.length; n++) {
  var path = WScript.Arguments(n);
  var text = readUtf16(path);
  var name = path.substring(path.lastIndexOf("\\") + 1);
  WScript.Echo("jscript " + name + " " + text.length + " " + perCall(summarizer, text, seconds).toFixed(2));
}
