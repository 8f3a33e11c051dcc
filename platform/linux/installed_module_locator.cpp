#include "platform/linux/installed_module_locator.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

#include "text/utf_codec.h"

namespace vellumtrace {

namespace {

std::u16string FolderWithSeparator(const std::filesystem::path& folder) {
  std::u16string text;
  std::string bytes = folder.string();
  if (bytes.empty() || bytes.back() != '/') bytes += '/';
  Utf8Error ignored;
  if (!DecodeUtf8(bytes, &text, &ignored)) text = u"./";
  return text;
}

std::u16string FindDataFolder() {
  // The same override the library honours.
  if (const char* env = std::getenv("VELLUMTRACE_DATA_DIR"); env != nullptr && *env != '\0') {
    return FolderWithSeparator(env);
  }
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return u"./";
  const std::filesystem::path binDir = exe.parent_path();
  const std::filesystem::path shared = binDir.parent_path() / "share" / "vellumtrace";
  if (std::filesystem::is_directory(shared / "dic", ec)) return FolderWithSeparator(shared);
  return FolderWithSeparator(binDir);
}

}  // namespace

InstalledModuleLocator::InstalledModuleLocator() : m_folder(FindDataFolder()) {}

InstalledModuleLocator::InstalledModuleLocator(std::u16string folder)
    : m_folder(std::move(folder)) {}

}  // namespace vellumtrace
