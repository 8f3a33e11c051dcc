#include "evaluation/evaluation_corpus.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "text/utf8_file.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

bool CheckFolder(const std::string& folder, const char* option,
                 std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    *error = std::string(option) + ": '" + folder + "' is not a folder";
    return false;
  }
  return true;
}

}  // namespace

bool ReadEvaluationCorpus(const std::string& docsFolder,
                          const std::string& refsFolder,
                          std::vector<EvaluationDocument>* documents,
                          std::string* error) {
  documents->clear();
  if (!CheckFolder(docsFolder, "--docs", error) ||
      !CheckFolder(refsFolder, "--refs", error)) {
    return false;
  }
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(docsFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.starts_with(".") || !it->is_regular_file(typeError)) continue;
    names.push_back(name);
  }
  if (ec) {
    *error = "cannot list '" + docsFolder + "': " + ec.message();
    return false;
  }
  if (names.empty()) {
    *error = "--docs: '" + docsFolder + "' holds no documents";
    return false;
  }
  std::sort(names.begin(), names.end());

  for (const std::string& name : names) {
    EvaluationDocument document;
    document.name = name;
    const std::string docPath = (fs::path(docsFolder) / name).string();
    const std::string refPath = (fs::path(refsFolder) / name).string();
    std::error_code refError;
    if (!fs::is_regular_file(refPath, refError)) {
      *error = "no reference for " + docPath + ": " + refPath + " is missing";
      return false;
    }
    if (ReadUtf8File(docPath, 0, &document.text, error) != TextFileStatus::kRead ||
        ReadUtf8File(refPath, 0, &document.reference, error) != TextFileStatus::kRead) {
      return false;
    }
    documents->push_back(std::move(document));
  }
  return true;
}

}  // namespace vellumtrace
