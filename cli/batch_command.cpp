#include "cli/batch_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/atomic_file.h"
#include "cli/batch_names.h"
#include "cli/batch_plan.h"
#include "cli/batch_run.h"
#include "cli/exit_status.h"
#include "cli/progress_bar.h"
#include "text/utf8_file.h"
#include "vellumtrace/summarize.h"

namespace vellumtrace {
namespace {

Format FormatNamed(const std::string& name) {
  if (name == "html") return Format::kHtml;
  if (name == "json") return Format::kJson;
  return Format::kText;
}

std::string ExtensionOf(const std::string& format) { return format == "text" ? "txt" : format; }

// A reading failure as the batch reports it: the caller puts the (safely
// shown) name in front, so the message must not carry it raw.
std::string WithoutName(std::string message, const std::string& name) {
  if (message.starts_with(name + " is ")) return message.substr(name.size() + 4);
  if (message.starts_with(name + " ")) return message.substr(name.size() + 1);
  const size_t at = message.find(" " + name + ":");
  if (at != std::string::npos) message.erase(at, name.size() + 1);
  return message;
}

bool Older(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// --skip-existing: a regular result no older than its regular input and
// than the dictionary.
BatchUpToDate UpToDateAgainst(const std::string& dictionaryPath) {
  struct stat dictionary {};
  const bool dictionaryKnown = ::stat(dictionaryPath.c_str(), &dictionary) == 0;
  return [dictionary, dictionaryKnown](const BatchItem& item) {
    struct stat input {}, result {};
    return dictionaryKnown && ::stat(item.output.c_str(), &result) == 0 &&
           S_ISREG(result.st_mode) && ::stat(item.input.c_str(), &input) == 0 &&
           S_ISREG(input.st_mode) && !Older(result.st_mtim, input.st_mtim) &&
           !Older(result.st_mtim, dictionary.st_mtim);
  };
}

}  // namespace

bool IsBatchRun(const SummarizeOptions& options) {
  return options.format == "json" || options.inputs.size() > 1 || !options.outputDir.empty();
}

int RunBatchCommand(const SummarizeOptions& options, const std::string& dictionaryPath) {
  if (!options.debugOutput.empty()) {
    return Fail(kExitUsage, "--debug-output works with one text in text or html form");
  }
  if (!options.outputDir.empty() &&
      (options.inputs.empty() ||
       std::any_of(options.inputs.begin(), options.inputs.end(),
                   [](const std::string& input) { return input == "-"; }))) {
    return Fail(kExitUsage, "--output-dir takes its texts from FILE arguments, not standard input");
  }
  if (options.outputDir.empty() && options.format != "json") {
    return Fail(kExitUsage,
                "several files need --output-dir DIR, or --format json for JSON Lines");
  }
  if (options.skipExisting && options.outputDir.empty()) {
    return Fail(kExitUsage, "--skip-existing needs --output-dir, where the results are kept");
  }
  if (!options.jobs.empty() && DecimalValue(options.jobs) == 0) {
    return Fail(kExitUsage, "--jobs takes a number of threads from 1 up");
  }
  std::vector<BatchItem> items;
  std::string error;
  BatchScanNotes notes;
  if (options.inputs.empty()) {
    items.push_back({"-", {}});
  } else if (!PlanBatch(options.inputs,
                        {options.outputDir, ExtensionOf(options.format), options.includes},
                        &items, &notes, &error)) {
    return Fail(kExitBadInput, error);
  }
  if (const std::string skipped = DescribeScanNotes(notes); !skipped.empty()) {
    std::fprintf(stderr, "vellumtrace: %s\n", skipped.c_str());
  }
  ResultFolder folder;
  if (!options.outputDir.empty()) {
    // Only the last level: a typo in a parent never makes a chain of folders.
    const std::filesystem::path dir = options.outputDir;
    std::error_code ec;
    std::filesystem::create_directory(dir, ec);
    if (ec == std::errc::no_such_file_or_directory) {
      const std::filesystem::path parent = dir.parent_path();
      return Fail(kExitBadInput, "cannot make the folder " + ShownName(options.outputDir) +
                                     ": its parent " + ShownName(parent.string()) +
                                     " does not exist (only the last level is made)");
    }
    if (ec || !folder.Open(dir, &error)) {
      return Fail(kExitBadInput, "cannot use the folder " + ShownName(options.outputDir) + ": " +
                                     (ec ? ec.message() : error));
    }
    if (const size_t removed = folder.RemoveDeadTemporaries(); removed != 0) {
      std::fprintf(stderr, "vellumtrace: removed %zu temporary %s left by a stopped batch\n",
                   removed, removed == 1 ? "file" : "files");
    }
  }

  // Compiled once; every worker shares it.
  Result<Dictionary> dictionary = Dictionary::Load(dictionaryPath);
  if (!dictionary.ok()) {
    std::fputs("ZEV: Dictionary File not found\n", stderr);
    return Fail(kExitNoDictionary, dictionary.status().message());
  }
  Options summaryOptions;
  summaryOptions.format = FormatNamed(options.format);
  summaryOptions.percent = static_cast<double>(std::min<size_t>(DecimalValue(options.percent), 101));
  if (!options.sentences.empty()) summaryOptions.sentences = DecimalValue(options.sentences);
  const size_t maxLength = DecimalValue(options.maxLength);
  summaryOptions.max_length = maxLength;

  const BatchWork work = [&](const std::filesystem::path& input, std::string* result,
                             std::string* failure) {
    // Checked here for the reader's messages, decoded once by the library.
    std::string bytes;
    const TextFileStatus read = ReadUtf8File(input.string(), maxLength, nullptr, failure, &bytes);
    if (read != TextFileStatus::kRead) {
      *failure = WithoutName(std::move(*failure), input.string());
      return false;
    }
    Result<Summary> summary = Summarize(*dictionary, bytes, summaryOptions);
    if (!summary.ok()) {
      *failure = summary.status().message();
      return false;
    }
    *result = std::move(summary->text);
    return true;
  };

  unsigned jobs = options.jobs.empty() ? std::thread::hardware_concurrency()
                                       : static_cast<unsigned>(std::min<size_t>(
                                             DecimalValue(options.jobs), 1024));
  if (jobs == 0) jobs = 1;
  ProgressBar bar(stderr);
  BatchRunOptions runOptions;
  if (!options.outputDir.empty()) runOptions.folder = &folder;
  if (options.skipExisting) runOptions.upToDate = UpToDateAgainst(dictionaryPath);
  // JSON Lines (several texts): each record says which file it is for.
  runOptions.tagFile =
      options.outputDir.empty() && (options.inputs.size() > 1 || notes.scannedFolder);
  const BatchOutcome outcome = RunBatch(items, jobs, work, stdout, stderr,
                                        options.outputDir.empty() ? nullptr : &bar, runOptions);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return Fail(kExitBadInput, "cannot write the results to standard output");
  }
  if (outcome.signal != 0 || outcome.failed != 0 || outcome.skipped != 0) {
    std::fprintf(stderr, "vellumtrace: %s\n", DescribeBatchOutcome(outcome, items.size()).c_str());
  }
  if (outcome.signal != 0) return 128 + outcome.signal;
  return outcome.failed != 0 ? kExitBadInput : kExitSuccess;
}

}  // namespace vellumtrace
