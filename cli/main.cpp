// vellumtrace: summarises a UTF-8 text with a language dictionary.
//
// Exit status: 0 success; 1 bad input (unreadable file, invalid UTF-8, a NUL
// byte, text over the bound, unwritable output); 2 usage error (a bad option
// value, a dump path that is the dictionary or the input); 3 the run
// completed without its dictionary (the result is still written).
#include <CLI/CLI.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "cli/batch_command.h"
#include "cli/evaluate_command.h"
#include "cli/exit_status.h"
#include "cli/option_values.h"
#include "cli/summarize_options.h"
#include "platform/linux/installed_module_locator.h"
#include "text/utf8_file.h"
#include "text/utf_codec.h"
#include "vellumtrace/summarize.h"

#ifndef VELLUMTRACE_VERSION
#define VELLUMTRACE_VERSION "0.0.0"
#endif

namespace vellumtrace {
namespace {

bool IsLanguageCode(const std::string& code) {
  return code.find_first_of("/\\:") == std::string::npos;
}

// The dictionary file of this run: --dictionary as given, or the
// language's file among the installed dictionaries.
std::string DictionaryPath(const SummarizeOptions& options) {
  if (!options.dictionary.empty()) return options.dictionary;
  std::string folder = Dictionary::DataFolder();
  if (folder.empty()) {
    folder = EncodeUtf8(InstalledModuleLocator().ModuleFolder());
  } else if (folder.back() != '/') {
    folder += '/';
  }
  return folder + "dic/" + options.language + ".xml";
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The dump must never overwrite what the run reads. Names "the dictionary"
// or "the input" in `what` when it would.
bool DumpClobbersARead(const SummarizeOptions& options, const std::string& dictionary,
                       std::string* what) {
  struct stat dump {};
  if (::stat(options.debugOutput.c_str(), &dump) != 0) return false;
  struct stat read {};
  if (::stat(dictionary.c_str(), &read) == 0 && SameFile(dump, read)) {
    *what = "the dictionary";
    return true;
  }
  const std::string input = options.inputs.empty() ? "-" : options.inputs.front();
  const bool fromStdin = input == "-";
  if ((fromStdin ? ::fstat(STDIN_FILENO, &read) : ::stat(input.c_str(), &read)) == 0 &&
      SameFile(dump, read)) {
    *what = "the input";
    return true;
  }
  return false;
}

// The dictionary of a single-file run. One that cannot be used raises the
// alert on standard error, and the run goes on without it (exit 3).
Dictionary LoadOrStandIn(const std::string& path) {
  Result<Dictionary> loaded = Dictionary::Load(path);
  if (loaded.ok()) return std::move(loaded).value();
  // The message is "cannot use the dictionary PATH: REASON".
  const std::string& message = loaded.status().message();
  const std::string lead = "cannot use the dictionary " + path + ": ";
  const std::string reason = message.starts_with(lead) ? message.substr(lead.size()) : message;
  if (isatty(STDERR_FILENO)) std::fputc('\a', stderr);
  std::fprintf(stderr, "ZEV: Dictionary File not found\nZEV: dictionary %s: %s\n", path.c_str(),
               reason.c_str());
  std::fflush(stderr);
  return Dictionary::Missing(path);
}

int Summarize(const SummarizeOptions& options) {
  if (!IsLanguageCode(options.language)) {
    return Fail(kExitUsage, "--language takes a language code such as 'en', not a path "
                            "(use --dictionary for a file): '" + options.language + "'");
  }
  const std::string dictionaryPath = DictionaryPath(options);
  if (IsBatchRun(options)) return RunBatchCommand(options, dictionaryPath);
  // Checked here for the reader's messages, decoded once by the library.
  std::string bytes, error;
  const std::string input = options.inputs.empty() ? "-" : options.inputs.front();
  switch (ReadUtf8File(input, DecimalValue(options.maxLength), nullptr, &error, &bytes)) {
    case TextFileStatus::kRead:
      break;
    case TextFileStatus::kTooLong:
      return Fail(kExitBadInput,
                  error + "; use --max-length N to raise it or --max-length 0 to lift it");
    default:
      return Fail(kExitBadInput, error);
  }

  // Opened (and truncated) only now that the input has been read and checked.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> dumpFile(nullptr, &std::fclose);
  std::FILE* dumps = nullptr;
  if (!options.debugOutput.empty()) {
    std::string clobbered;
    if (options.debugOutput != "-" && DumpClobbersARead(options, dictionaryPath, &clobbered)) {
      return Fail(kExitUsage, "--debug-output: '" + options.debugOutput + "' is " + clobbered +
                                  "; the dump would overwrite it");
    }
    if (options.debugOutput == "-") {
      dumps = stderr;
    } else {
      dumpFile.reset(std::fopen(options.debugOutput.c_str(), "wb"));
      if (!dumpFile) {
        return Fail(kExitBadInput, "cannot write the debug output to " + options.debugOutput);
      }
      dumps = dumpFile.get();
    }
  }

  const Dictionary dictionary = LoadOrStandIn(dictionaryPath);
  Options run;
  run.percent = static_cast<double>(std::min<size_t>(DecimalValue(options.percent), 101));
  if (!options.sentences.empty()) run.sentences = DecimalValue(options.sentences);
  run.format = options.format == "html" ? Format::kHtml : Format::kText;
  run.max_length = 0;  // the reader held the text to the bound
  bool dumpWritten = true;
  if (dumps != nullptr) {
    run.on_debug = [&](std::string_view fragment) {
      dumpWritten = std::fwrite(fragment.data(), 1, fragment.size(), dumps) == fragment.size() &&
                    dumpWritten;
    };
  }
  Result<Summary> summary = vellumtrace::Summarize(dictionary, bytes, run);
  if (!summary.ok()) return Fail(kExitBadInput, summary.status().message());
  if (dumps != nullptr && (!dumpWritten || std::fflush(dumps) != 0 || std::ferror(dumps))) {
    return Fail(kExitBadInput, "cannot write the debug output to " + options.debugOutput);
  }
  const std::string& result = summary->text;
  if (std::fwrite(result.data(), 1, result.size(), stdout) != result.size() ||
      std::fflush(stdout) != 0) {
    return Fail(kExitBadInput, "cannot write the result to standard output");
  }
  return summary->dictionary_missing ? kExitNoDictionary : kExitSuccess;
}

int Main(int argc, char** argv) {
  CLI::App app{"Vellumtrace: an extractive summarizer. Reads UTF-8 text from FILE or "
               "standard input and writes the best sentences (or an HTML page with "
               "them highlighted, or JSON) to standard output. With several FILEs or "
               "folders: each result into --output-dir, or JSON Lines with --format json."};
  app.set_version_flag("--version", std::string("vellumtrace ") + VELLUMTRACE_VERSION);
  SummarizeOptions options;
  app.add_option("file", options.inputs,
                 "Texts to summarise (UTF-8); a folder stands for its files; '-' or none: "
                 "standard input");
  auto* dictionary = app.add_option("--dictionary", options.dictionary,
                                    "Dictionary file to use instead of a language")
                         ->check(kNonEmpty);
  app.add_option("--language", options.language,
                 "Language code: uses dic/CODE.xml of the installed data")
      ->capture_default_str()
      ->excludes(dictionary);
  auto* percent = app.add_option("--percent", options.percent,
                                 "Share of the words to keep, 0..100 (larger values keep all)")
                       ->check(kDecimal)
                       ->type_name("N")
                       ->capture_default_str();
  app.add_option("--sentences", options.sentences,
                 "Keep the N best sentences instead of a share of the words")
      ->check(kDecimal)
      ->check(kPositive)
      ->type_name("N")
      ->excludes(percent);
  app.add_option("--format", options.format, "Result form")
      ->check(CLI::IsMember({"text", "html", "json"}))
      ->capture_default_str();
  app.add_option("--debug-output", options.debugOutput,
                 "Write the diagnostic dumps (UTF-8) to PATH; '-' for standard error")
      ->check(kNonEmpty);
  app.add_option("--output-dir", options.outputDir,
                 "Write each FILE's result to DIR/<name>.<txt|html|json>")
      ->check(kNonEmpty)
      ->type_name("DIR");
  app.add_option("--jobs", options.jobs, "Threads for several files (default: every core)")
      ->check(kDecimal)
      ->type_name("N");
  app.add_option("--include", options.includes,
                 "In folders, take only files whose names match GLOB (repeatable; "
                 "default: every visible regular file)")
      ->check(kNonEmpty)
      ->type_name("GLOB")
      ->take_all()
      ->allow_extra_args(false);
  app.add_flag("--skip-existing", options.skipExisting,
               "With --output-dir, leave out files whose result exists and is not older "
               "than the file and the dictionary");
  app.add_option("--max-length", options.maxLength,
                 "Longest text accepted, in UTF-16 code units; 0 lifts the bound")
      ->check(kDecimal)
      ->type_name("N")
      ->capture_default_str();
  AddEvaluateCommand(app);

  if (const char* empty = FindEmptyAssignment(argc, argv)) {
    return Fail(kExitUsage, std::string(empty) + ": an option value may not be empty");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e);
    if (status != 0) return kExitUsage;
    // --help or --version: their text is the result, and must arrive.
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
      return Fail(kExitBadInput, "cannot write to standard output");
    }
    return kExitSuccess;
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
