// vellumtrace: summarises a UTF-8 text with a language dictionary.
//
// Exit status: 0 success; 1 bad input (unreadable file, invalid UTF-8, text
// over the bound, unwritable output); 2 usage error; 3 the run completed
// without its dictionary (the result is still written).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "cli/evaluate_command.h"
#include "cli/exit_status.h"
#include "cli/input_text.h"
#include "cli/linux_platform.h"
#include "cli/stream_debug_output.h"
#include "cli/text_codec.h"
#include "engine/summarizer_engine.h"
#include "engine/text_bounds.h"

#ifndef VELLUMTRACE_VERSION
#define VELLUMTRACE_VERSION "0.0.0"
#endif

namespace vellumtrace {
namespace {

struct SummarizeOptions {
  std::string input;
  std::string dictionary;
  std::string language = "en";
  // Wide enough that any number clamps rather than failing to parse.
  long long percent = 20;
  std::string format = "text";
  std::string debugOutput;
  size_t maxLength = kMaxTextLength;
};

int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "vellumtrace: %s\n", message.c_str());
  return status;
}

bool IsLanguageCode(const std::string& code) {
  return code.find_first_of("/\\:") == std::string::npos;
}

int Summarize(const SummarizeOptions& options) {
  if (!IsLanguageCode(options.language)) {
    return Fail(kExitUsage, "--language takes a language code such as 'en', not a path "
                            "(use --dictionary for a file): '" + options.language + "'");
  }
  std::u16string text;
  std::string error;
  if (!ReadInputText(options.input, &text, &error)) return Fail(kExitBadInput, error);
  const size_t length = TextUpToNul(text).size();
  if (options.maxLength != 0 && length > options.maxLength) {
    return Fail(kExitBadInput,
                "the text is " + std::to_string(length) +
                    " UTF-16 code units long, over the bound of " +
                    std::to_string(options.maxLength) +
                    "; use --max-length N to raise it or --max-length 0 to lift it");
  }

  LinuxPlatform platform;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> dumpFile(nullptr, &std::fclose);
  std::unique_ptr<StreamDebugOutput> dumps;
  if (!options.debugOutput.empty()) {
    std::FILE* stream = stderr;
    if (options.debugOutput != "-") {
      dumpFile.reset(std::fopen(options.debugOutput.c_str(), "wb"));
      if (!dumpFile) {
        return Fail(kExitBadInput, "cannot write the debug output to " + options.debugOutput);
      }
      stream = dumpFile.get();
    }
    dumps = std::make_unique<StreamDebugOutput>(stream);
    platform.SetDebugOutput(dumps.get());
  }

  SummarizerEngine engine(platform.Services());
  if (!options.dictionary.empty()) {
    Utf8Error where;
    std::u16string path;
    if (!DecodeUtf8(options.dictionary, &path, &where)) {
      return Fail(kExitUsage, "--dictionary: the path is not valid UTF-8");
    }
    engine.SetDictionaryPath(std::move(path));
  } else {
    std::u16string code;
    Utf8Error where;
    if (!DecodeUtf8(options.language, &code, &where)) {
      return Fail(kExitUsage, "--language: the code is not valid UTF-8");
    }
    engine.SetDictionaryPath(engine.DictionaryPathFor(code));
  }
  engine.SetOutputStyle(options.format == "html" ? OutputStyle::kHtml : OutputStyle::kPlainText);

  const int32_t percent = static_cast<int32_t>(std::clamp<long long>(options.percent, -1, 101));
  const std::string result = EncodeUtf8(engine.RunSummary(std::move(text), percent));
  if (dumps && !dumps->Flush()) {
    return Fail(kExitBadInput, "cannot write the debug output to " + options.debugOutput);
  }
  if (std::fwrite(result.data(), 1, result.size(), stdout) != result.size() ||
      std::fflush(stdout) != 0) {
    return Fail(kExitBadInput, "cannot write the result to standard output");
  }
  return platform.GetAlert().TimesShown() > 0 ? kExitNoDictionary : kExitSuccess;
}

int Main(int argc, char** argv) {
  CLI::App app{"Vellumtrace: an extractive summarizer. Reads UTF-8 text from FILE or "
               "standard input and writes the best sentences (or an HTML page with "
               "them highlighted) to standard output."};
  app.set_version_flag("--version", std::string("vellumtrace ") + VELLUMTRACE_VERSION);
  SummarizeOptions options;
  app.add_option("file", options.input, "Text to summarise (UTF-8); '-' or none: standard input");
  auto* dictionary = app.add_option("--dictionary", options.dictionary,
                                    "Dictionary file to use instead of a language");
  app.add_option("--language", options.language,
                 "Language code: uses dic/CODE.xml of the installed data")
      ->capture_default_str()
      ->excludes(dictionary);
  app.add_option("--percent", options.percent,
                 "Share of the words to keep, 0..100 (values outside are clamped)")
      ->capture_default_str();
  app.add_option("--format", options.format, "Result form")
      ->check(CLI::IsMember({"text", "html"}))
      ->capture_default_str();
  app.add_option("--debug-output", options.debugOutput,
                 "Write the diagnostic dumps (UTF-8) to PATH; '-' for standard error");
  app.add_option("--max-length", options.maxLength,
                 "Longest text accepted, in UTF-16 code units; 0 lifts the bound")
      ->capture_default_str();
  AddEvaluateCommand(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    return status == 0 ? kExitSuccess : kExitUsage;
  }
  if (IsEvaluateCommandChosen(app)) return RunEvaluateCommand(app);
  return Summarize(options);
}

}  // namespace
}  // namespace vellumtrace

int main(int argc, char** argv) {
  try {
    return vellumtrace::Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("vellumtrace: out of memory\n", stderr);
    return vellumtrace::kExitBadInput;
  }
}
