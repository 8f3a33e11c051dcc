#include "cli/batch_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <utility>

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

bool AddFolder(const fs::path& folder, std::vector<fs::path>* inputs, std::string* error) {
  std::error_code ec;
  std::vector<fs::path> files;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code typeError;
    if (it->is_regular_file(typeError)) files.push_back(it->path());
  }
  if (ec) {
    *error = "cannot list the folder " + folder.string() + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end());
  inputs->insert(inputs->end(), files.begin(), files.end());
  return true;
}

// Device and inode: the same file under any name.
using FileId = std::pair<dev_t, ino_t>;

bool IdOf(const fs::path& path, FileId* id) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  *id = {info.st_dev, info.st_ino};
  return true;
}

}  // namespace

bool PlanBatch(const std::vector<std::string>& arguments, const fs::path& outputDir,
               std::string_view extension, std::vector<BatchItem>* items,
               std::string* error) {
  std::vector<fs::path> inputs;
  for (const std::string& argument : arguments) {
    std::error_code ec;
    const fs::file_status status = fs::status(argument, ec);
    if (fs::is_directory(status)) {
      if (!AddFolder(argument, &inputs, error)) return false;
    } else if (fs::exists(status)) {
      inputs.emplace_back(argument);
    } else {
      *error = "cannot read " + argument + ": no such file or folder";
      return false;
    }
  }

  items->clear();
  std::map<fs::path, fs::path> inputOfOutput;
  std::set<FileId> inputIds;
  for (const fs::path& input : inputs) {
    FileId id;
    if (IdOf(input, &id)) inputIds.insert(id);
  }
  for (const fs::path& input : inputs) {
    BatchItem item{input, {}};
    if (!outputDir.empty()) {
      item.output = outputDir / input.stem();
      item.output += ".";
      item.output += std::string(extension);
      const auto [it, isNew] = inputOfOutput.emplace(item.output, input);
      if (!isNew) {
        *error = input.string() + " and " + it->second.string() + " would both be written to " +
                 item.output.string();
        return false;
      }
      FileId id;
      if (IdOf(item.output, &id) && inputIds.count(id) != 0) {
        *error = "the result of " + input.string() + " would overwrite the input " +
                 item.output.string();
        return false;
      }
    }
    items->push_back(std::move(item));
  }
  return true;
}

}  // namespace vellumtrace
