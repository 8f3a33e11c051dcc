#include "component/registry_module_locator.h"

#include <windows.h>

#include <string>

#include "component/server_module.h"

namespace vellumtrace {
namespace {

constexpr wchar_t kServerKey[] =
    L"CLSID\\{5B07C43F-9E2F-11D6-A417-00508B6E31C2}\\InprocServer32";
// The registered path, with its terminating NUL.
constexpr DWORD kPathCapacity = 300;

std::u16string FolderOf(const std::wstring& path) {
  const size_t separator = path.rfind(L'\\');
  if (separator == std::wstring::npos) return std::u16string();
  return std::u16string(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(separator) + 1);
}

std::wstring RegisteredServerPath() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::wstring();
  }
  wchar_t buffer[kPathCapacity] = {};
  DWORD type = 0;
  DWORD size = sizeof(buffer);
  const LONG status =
      RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::wstring();
  }
  // The stored value need not end in a NUL.
  size_t length = size / sizeof(wchar_t);
  if (length == kPathCapacity && buffer[length - 1] != L'\0') return std::wstring();
  while (length > 0 && buffer[length - 1] == L'\0') --length;
  return std::wstring(buffer, length);
}

}  // namespace

std::u16string RegistryModuleLocator::ModuleFolder() {
  std::u16string folder = FolderOf(RegisteredServerPath());
  if (folder.empty()) folder = FolderOf(ModuleFilePath());
  return folder;
}

}  // namespace vellumtrace
