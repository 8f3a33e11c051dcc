#include "vellumtrace/dictionary.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <new>
#include <string>
#include <system_error>

#include "library/engine_adapter.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

bool HasDictionaries(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder / "dic", ec);
}

// The file this code was loaded from: the shared library, or the program
// or module that linked the static one (a fully static program has no
// loader to ask: the running program is that file).
fs::path LoadedFile() {
  Dl_info info{};
  const char* name = "/proc/self/exe";
  if (dladdr(reinterpret_cast<void*>(&Dictionary::DataFolder), &info) != 0 &&
      info.dli_fname != nullptr && *info.dli_fname != '\0') {
    name = info.dli_fname;
  }
  std::error_code ec;
  const fs::path file = fs::canonical(name, ec);
  return ec ? fs::path() : file;
}

template <typename Load>
Result<Dictionary> Guarded(Load load) {
  try {
    return load();
  } catch (const std::bad_alloc&) {
    return Status(StatusCode::kOutOfMemory, "out of memory");
  } catch (const std::exception& e) {
    return Status(StatusCode::kInternal, e.what());
  }
}

}  // namespace

std::string Dictionary::DataFolder() {
  if (const char* env = std::getenv("VELLUMTRACE_DATA_DIR"); env != nullptr && *env != '\0') {
    return env;
  }
  // <prefix>/lib[/<multiarch>][/python3/dist-packages]/<file> or the
  // build tree's bin/, lib/ and python/: share/vellumtrace is a few levels up.
  fs::path folder = LoadedFile().parent_path();
  for (int up = 0; up < 5 && !folder.empty(); ++up, folder = folder.parent_path()) {
    const fs::path data = folder / "share" / "vellumtrace";
    if (HasDictionaries(data)) return data.string();
    if (folder == folder.parent_path()) break;
  }
  // A program that linked the static library elsewhere: the prefixes this
  // build installs to, its own and the Debian package's.
  for (const char* data : {VELLUMTRACE_INSTALL_DATADIR, VELLUMTRACE_PACKAGE_DATADIR}) {
    if (HasDictionaries(data)) return data;
  }
  return {};
}

Result<Dictionary> Dictionary::Load(std::string_view path) {
  return Guarded([&]() -> Result<Dictionary> {
    auto impl = adapter::LoadDictionary(std::string(path));
    if (!impl.ok()) return impl.status();
    return Dictionary(std::move(impl.value()));
  });
}

Result<Dictionary> Dictionary::ForLanguage(std::string_view code) {
  return Guarded([&]() -> Result<Dictionary> {
    if (code.empty() || code.find_first_of("/\\:") != std::string_view::npos) {
      return Status(StatusCode::kInvalidArgument,
                    "a language code such as 'en' was expected, not '" + std::string(code) + "'");
    }
    const std::string folder = DataFolder();
    if (folder.empty()) {
      return Status(StatusCode::kDictionaryUnavailable,
                    "no installed dictionaries were found; set VELLUMTRACE_DATA_DIR");
    }
    return Load((fs::path(folder) / "dic" / (std::string(code) + ".xml")).string());
  });
}

Dictionary Dictionary::Missing(std::string_view path) {
  return Dictionary(adapter::MissingDictionary(std::string(path)));
}

std::vector<std::string> Dictionary::Languages() {
  std::vector<std::string> codes;
  const std::string folder = DataFolder();
  if (folder.empty()) return codes;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(folder) / "dic", ec), end; !ec && it != end;
       it.increment(ec)) {
    const fs::path& file = it->path();
    std::error_code kind;
    if (file.extension() == ".xml" && it->is_regular_file(kind)) {
      codes.push_back(file.stem().string());
    }
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

const std::string& Dictionary::path() const { return impl_->path; }
bool Dictionary::missing() const { return impl_->missing; }

}  // namespace vellumtrace
