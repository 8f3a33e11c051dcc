#ifndef VELLUMTRACE_CLI_BATCH_COMMAND_H_
#define VELLUMTRACE_CLI_BATCH_COMMAND_H_

#include <string>

#include "cli/summarize_options.h"

namespace vellumtrace {

// True for JSON results and for more than one text: such runs go through
// the public library, with the dictionary compiled once for all files.
bool IsBatchRun(const SummarizeOptions& options);

// Summarises every input (to --output-dir, or as JSON Lines on standard
// output) with the dictionary at `dictionaryPath` (UTF-8). Returns the exit
// status: 0 all done, 1 some file failed, 2 a usage error, 3 no dictionary,
// 128 + the signal when one stopped the batch.
int RunBatchCommand(const SummarizeOptions& options, const std::string& dictionaryPath);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_BATCH_COMMAND_H_
