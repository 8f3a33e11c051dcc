#include "cli/batch_plan.h"

#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "cli/batch_names.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

constexpr size_t kSkippedNamesShown = 3;

// Device and inode: the same file under any name.
using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdOf(const fs::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

bool Taken(const std::string& name, const std::vector<std::string>& includes) {
  if (includes.empty()) return name[0] != '.';
  // A leading dot must be matched by the pattern itself, as in the shell.
  return std::any_of(includes.begin(), includes.end(), [&](const std::string& pattern) {
    return ::fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD) == 0;
  });
}

const char* KindOf(const fs::directory_entry& entry) {
  std::error_code ec;
  const fs::file_status status = entry.status(ec);
  if (status.type() == fs::file_type::not_found) {
    return entry.is_symlink(ec) ? "dangling link" : "vanished";
  }
  switch (status.type()) {
    case fs::file_type::directory: return "folder";
    case fs::file_type::fifo: return "FIFO";
    case fs::file_type::block:
    case fs::file_type::character: return "device";
    case fs::file_type::socket: return "socket";
    default: return "not a regular file";
  }
}

bool AddFolder(const fs::path& folder, const BatchPlanOptions& options,
               const std::optional<FileId>& outputId, std::vector<fs::path>* inputs,
               BatchScanNotes* notes, std::string* error) {
  std::error_code ec;
  std::vector<fs::path> files;
  std::vector<fs::path> skipped;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || !Taken(name, options.includes)) continue;
    std::error_code typeError;
    if (it->is_regular_file(typeError)) {
      files.push_back(it->path());
    } else if (!(outputId && IdOf(it->path()) == outputId)) {
      skipped.push_back(it->path());
    }
  }
  if (ec) {
    *error = "cannot list the folder " + ShownName(folder.string()) + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  inputs->insert(inputs->end(), files.begin(), files.end());
  std::sort(skipped.begin(), skipped.end());
  notes->skipped += skipped.size();
  for (const fs::path& path : skipped) {
    if (notes->firstSkipped.size() == kSkippedNamesShown) break;
    notes->firstSkipped.push_back(ShownName(path.string()) + " (" +
                                  KindOf(fs::directory_entry(path)) + ")");
  }
  return true;
}

// The longest name the output folder's file system takes: asked of the
// folder, or of its parent while it does not exist yet.
size_t NameLimitOf(const fs::path& folder) {
  for (fs::path path : {folder, folder.parent_path().empty() ? fs::path(".")
                                                            : folder.parent_path()}) {
    const long limit = ::pathconf(path.c_str(), _PC_NAME_MAX);
    if (limit > 0) return static_cast<size_t>(limit);
  }
  return NAME_MAX;
}

}  // namespace

bool PlanBatch(const std::vector<std::string>& arguments, const BatchPlanOptions& options,
               std::vector<BatchItem>* items, BatchScanNotes* notes, std::string* error) {
  const fs::path& outputDir = options.outputDir;
  const std::optional<FileId> outputId =
      outputDir.empty() ? std::nullopt : IdOf(outputDir);
  std::vector<fs::path> inputs;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    const fs::file_status status = fs::status(argument, ec);
    if (fs::is_directory(status)) {
      // Results land in the output folder itself, never below it.
      if (outputId && IdOf(argument) == outputId) {
        *error = "the folder " + ShownName(argument) + " is the output folder: its files " +
                 "would be results, not texts; choose another --output-dir or name the files";
        return false;
      }
      notes->scannedFolder = true;
      if (!AddFolder(argument, options, outputId, &inputs, notes, error)) return false;
    } else if (fs::exists(status)) {
      inputs.emplace_back(argument);
    } else {
      *error = "cannot read " + ShownName(argument) + ": no such file or folder";
      return false;
    }
  }

  items->clear();
  std::map<fs::path, fs::path> inputOfOutput;
  std::set<FileId> inputIds;
  for (const fs::path& input : inputs) {
    if (const auto id = IdOf(input)) inputIds.insert(*id);
  }
  const size_t nameLimit = outputDir.empty() ? 0 : NameLimitOf(outputDir);
  for (const fs::path& input : inputs) {
    BatchItem item{input, {}};
    if (!outputDir.empty()) {
      const std::string name = input.stem().string() + "." + options.extension;
      if (name.size() > nameLimit) {
        *error = "the result of " + ShownName(input.string()) + " would be named with " +
                 std::to_string(name.size()) + " bytes, over the limit of " +
                 std::to_string(nameLimit) + " bytes per name in " +
                 ShownName(outputDir.string());
        return false;
      }
      item.output = outputDir / name;
      const auto [it, isNew] = inputOfOutput.emplace(item.output, input);
      if (!isNew) {
        *error = ShownName(input.string()) + " and " + ShownName(it->second.string()) +
                 " would both be written to " + ShownName(item.output.string());
        return false;
      }
      const auto id = IdOf(item.output);
      if (id && inputIds.count(*id) != 0) {
        *error = "the result of " + ShownName(input.string()) + " would overwrite the input " +
                 ShownName(item.output.string());
        return false;
      }
    }
    items->push_back(std::move(item));
  }
  return true;
}

bool PlanBatch(const std::vector<std::string>& arguments, const fs::path& outputDir,
               std::string_view extension, std::vector<BatchItem>* items,
               std::string* error) {
  BatchScanNotes notes;
  return PlanBatch(arguments, {outputDir, std::string(extension), {}}, items, &notes, error);
}

std::string DescribeScanNotes(const BatchScanNotes& notes) {
  if (notes.skipped == 0) return {};
  std::string line = "skipped " + std::to_string(notes.skipped) +
                     (notes.skipped == 1 ? " entry" : " entries") +
                     (notes.skipped == 1 ? " that is not a regular file: "
                                         : " that are not regular files: ");
  for (size_t i = 0; i < notes.firstSkipped.size(); ++i) {
    if (i != 0) line += ", ";
    line += notes.firstSkipped[i];
  }
  if (notes.skipped > notes.firstSkipped.size()) {
    line += " and " + std::to_string(notes.skipped - notes.firstSkipped.size()) + " more";
  }
  return line;
}

}  // namespace vellumtrace
