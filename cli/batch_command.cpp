#include "cli/batch_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

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
  if (!options.jobs.empty() && DecimalValue(options.jobs) == 0) {
    return Fail(kExitUsage, "--jobs takes a number of threads from 1 up");
  }
  std::vector<BatchItem> items;
  std::string error;
  if (options.inputs.empty()) {
    items.push_back({"-", {}});
  } else if (!PlanBatch(options.inputs, options.outputDir, ExtensionOf(options.format), &items,
                        &error)) {
    return Fail(kExitBadInput, error);
  }
  if (!options.outputDir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.outputDir, ec);
    if (ec) return Fail(kExitBadInput, "cannot make the folder " + options.outputDir + ": " + ec.message());
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
    std::u16string text;
    std::string bytes;
    const TextFileStatus read = ReadUtf8File(input.string(), maxLength, &text, failure, &bytes);
    if (read != TextFileStatus::kRead) return false;
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
  const BatchOutcome outcome = RunBatch(items, jobs, work, stdout, stderr,
                                        options.outputDir.empty() ? nullptr : &bar);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    return Fail(kExitBadInput, "cannot write the results to standard output");
  }
  if (outcome.signal != 0 || outcome.failed != 0) {
    std::fprintf(stderr, "vellumtrace: %s\n", DescribeBatchOutcome(outcome, items.size()).c_str());
  }
  if (outcome.signal != 0) return 128 + outcome.signal;
  return outcome.failed != 0 ? kExitBadInput : kExitSuccess;
}

}  // namespace vellumtrace
