#ifndef VELLUMTRACE_CLI_BATCH_PLAN_H_
#define VELLUMTRACE_CLI_BATCH_PLAN_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

// One file of a batch and where its result goes (empty: standard output).
struct BatchItem {
  std::filesystem::path input;  // as given, or the folder given / the name
  std::filesystem::path output;
};

struct BatchPlanOptions {
  std::filesystem::path outputDir;  // empty: results go to standard output
  std::string extension;            // of the results, without the dot
  std::vector<std::string> includes;  // name patterns a folder scan takes
};

// What folder scans left out although their names were taken: entries that
// are not regular files (folders, FIFOs, devices, sockets, dangling links).
struct BatchScanNotes {
  bool scannedFolder = false;
  size_t skipped = 0;
  std::vector<std::string> firstSkipped;  // shown names with their kind
};

// Expands the FILE arguments of a batch. A folder stands for its regular
// files whose names match one of `includes` (none given: the visible ones),
// sorted by name; the output folder itself is refused as a folder to scan,
// so results are never taken as inputs. A FILE named explicitly
// is taken whatever it is (a FIFO is read as a stream). With an output
// folder, each input gets <dir>/<name without its extension>.<extension>.
// Returns false with the reason when an argument is missing, two inputs
// would write one output, an output would overwrite an input, or a result
// name is over the file system's limit.
bool PlanBatch(const std::vector<std::string>& arguments, const BatchPlanOptions& options,
               std::vector<BatchItem>* items, BatchScanNotes* notes, std::string* error);

// The same with every visible file of a folder and no notes.
bool PlanBatch(const std::vector<std::string>& arguments,
               const std::filesystem::path& outputDir, std::string_view extension,
               std::vector<BatchItem>* items, std::string* error);

// The standard-error line about what the scans skipped, or empty.
std::string DescribeScanNotes(const BatchScanNotes& notes);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_BATCH_PLAN_H_
