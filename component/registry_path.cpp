#include "component/registry_path.h"

#include <vector>

namespace vellumtrace {
namespace {

// Long enough for any path the platform's loader accepts, with its NUL.
constexpr DWORD kPathCapacity = 32768;

struct FileIdentity {
  DWORD volume = 0;
  DWORD indexHigh = 0;
  DWORD indexLow = 0;
};

bool IdentifyFile(const std::wstring& path, FileIdentity* identity) {
  // No access rights beyond the attributes: a loaded DLL and a file opened
  // by others can still be identified.
  const HANDLE file =
      CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  const BOOL known = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  if (!known) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->indexHigh = information.nFileIndexHigh;
  identity->indexLow = information.nFileIndexLow;
  return true;
}

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(kPathCapacity);
  const DWORD length = GetFullPathNameW(path.c_str(), kPathCapacity, buffer.data(), nullptr);
  if (length == 0 || length >= kPathCapacity) return path;
  return std::wstring(buffer.data(), length);
}

}  // namespace

std::wstring ReadRegisteredPath(HKEY root, const std::wstring& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::wstring();
  }
  std::vector<wchar_t> buffer(kPathCapacity + 1, L'\0');
  DWORD type = 0;
  DWORD size = kPathCapacity * sizeof(wchar_t);
  const LONG status =
      RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::wstring();
  }
  // The stored value need not end in a NUL; the buffer holds one more.
  std::wstring value(buffer.data());
  if (type == REG_SZ || value.find(L'%') == std::wstring::npos) return value;
  std::vector<wchar_t> expanded(kPathCapacity);
  const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), kPathCapacity);
  if (length == 0 || length > kPathCapacity) return std::wstring();
  return std::wstring(expanded.data());
}

bool IsSameFile(const std::wstring& first, const std::wstring& second) {
  if (first.empty() || second.empty()) return false;
  FileIdentity a;
  FileIdentity b;
  if (IdentifyFile(first, &a) && IdentifyFile(second, &b)) {
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
  }
  return lstrcmpiW(FullPath(first).c_str(), FullPath(second).c_str()) == 0;
}

}  // namespace vellumtrace
