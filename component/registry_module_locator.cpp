#include "component/registry_module_locator.h"

#include <windows.h>

#include <string>

#include "component/registry_path.h"
#include "component/server_module.h"

namespace vellumtrace {
namespace {

constexpr wchar_t kServerKey[] =
    L"CLSID\\{5B07C43F-9E2F-11D6-A417-00508B6E31C2}\\InprocServer32";

std::u16string FolderOf(const std::wstring& path) {
  const size_t separator = path.rfind(L'\\');
  if (separator == std::wstring::npos) return std::u16string();
  return std::u16string(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(separator) + 1);
}

}  // namespace

std::u16string RegistryModuleLocator::ModuleFolder() {
  const std::wstring module = ModuleFilePath();
  const std::wstring registered = ReadRegisteredPath(HKEY_CLASSES_ROOT, kServerKey);
  // Another copy's registration (or one left behind by a deleted copy)
  // must not choose this copy's dictionaries.
  if (!registered.empty() && IsSameFile(registered, module)) {
    const std::u16string folder = FolderOf(registered);
    if (!folder.empty()) return folder;
  }
  return FolderOf(module);
}

}  // namespace vellumtrace
