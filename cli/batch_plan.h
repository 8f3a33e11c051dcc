#ifndef VELLUMTRACE_CLI_BATCH_PLAN_H_
#define VELLUMTRACE_CLI_BATCH_PLAN_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

// One file of a batch and where its result goes (empty: standard output).
struct BatchItem {
  std::filesystem::path input;
  std::filesystem::path output;
};

// Expands the FILE arguments of a batch: a folder stands for its regular,
// non-hidden files, sorted by name. With an output folder, each input gets
// <dir>/<name without its extension>.<extension>. Returns false with the
// reason when an argument is missing, two inputs would write one output, or
// an output would overwrite an input.
bool PlanBatch(const std::vector<std::string>& arguments,
               const std::filesystem::path& outputDir, std::string_view extension,
               std::vector<BatchItem>* items, std::string* error);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_BATCH_PLAN_H_
