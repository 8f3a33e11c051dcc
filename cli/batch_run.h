#ifndef VELLUMTRACE_CLI_BATCH_RUN_H_
#define VELLUMTRACE_CLI_BATCH_RUN_H_

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/batch_plan.h"

namespace vellumtrace {

class ProgressBar;
class ResultFolder;

// Summarises one input into the bytes of its result. Returns false with a
// message when the input is refused. Called from several threads at once.
using BatchWork = std::function<bool(const std::filesystem::path& input,
                                     std::string* result, std::string* error)>;

// Whether an item's result is already there and up to date.
using BatchUpToDate = std::function<bool(const BatchItem& item)>;

struct BatchRunOptions {
  // Where the outputs go (their folder); null: each output's own folder.
  const ResultFolder* folder = nullptr;
  // Set (--skip-existing): items it accepts are not redone.
  BatchUpToDate upToDate;
  // JSON Lines: every record on `out` starts with "file", the join key.
  bool tagFile = false;
};

// How a batch ended.
struct BatchOutcome {
  size_t written = 0;
  size_t failed = 0;
  size_t skipped = 0;     // up to date already
  size_t notStarted = 0;  // left when a signal stopped the batch
  int signal = 0;         // the signal that stopped it, or 0
};

// Runs `work` over `items` on `jobs` threads. Items with an output path are
// written there atomically; the others go to `out` in input order, one line
// each (a failed one as {"file":..., "error":...}, the message without the
// name). A failure is reported on `errors` by file name, shown safely, and
// the other files go on. SIGINT or SIGTERM stops the batch after the files
// in flight. `work` gives its messages without the file's name.
BatchOutcome RunBatch(const std::vector<BatchItem>& items, unsigned jobs,
                      const BatchWork& work, std::FILE* out, std::FILE* errors,
                      ProgressBar* bar, const BatchRunOptions& options = {});

// The closing line of a batch on standard error: what was done.
std::string DescribeBatchOutcome(const BatchOutcome& outcome, size_t total);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_BATCH_RUN_H_
