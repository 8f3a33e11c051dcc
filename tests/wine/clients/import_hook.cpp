#include "tests/wine/clients/import_hook.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstdlib>
#include <cstring>

namespace vellumtrace {

void* PatchImport(HMODULE module, const char* dll, const char* name, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       import->Name != 0; ++import) {
    if (_stricmp(reinterpret_cast<const char*>(base + import->Name), dll) != 0) continue;
    const DWORD namesAt = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                          &protection)) {
        return nullptr;
      }
      void* original = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return original;
    }
  }
  return nullptr;
}

namespace {

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// Adds one call and its duration to a probe when it goes out of scope.
class Timing {
 public:
  explicit Timing(ImportProbe& probe) : m_probe(probe), m_start(Now()) {}
  Timing(const Timing&) = delete;
  Timing& operator=(const Timing&) = delete;
  ~Timing() {
    InterlockedIncrement(&m_probe.calls);
    m_probe.ticks += Now() - m_start;
  }

 private:
  ImportProbe& m_probe;
  LONGLONG m_start;
};

// One probe and one replacement per function; the replacement has the
// function's own type, calling convention included.
#define VT_PROBES(X)                                     \
  X(KERNEL32, OutputDebugStringW)                        \
  X(KERNEL32, IsDebuggerPresent)                         \
  X(KERNEL32, OpenEventW)                                \
  X(KERNEL32, OpenFileMappingW)                          \
  X(KERNEL32, GetFileAttributesExW)                      \
  X(KERNEL32, CreateFileW)                               \
  X(KERNEL32, GetFileInformationByHandle)                \
  X(KERNEL32, GetModuleFileNameW)                        \
  X(KERNEL32, WaitForSingleObject)                       \
  X(KERNEL32, GetSystemTimeAsFileTime)                   \
  X(ADVAPI32, RegOpenKeyExW)                             \
  X(ADVAPI32, RegQueryValueExW)                          \
  X(ole32, CoCreateInstance)                             \
  X(ole32, CoInitializeEx)                               \
  X(ole32, CoUninitialize)                               \
  X(OLEAUT32, LoadRegTypeLib)                            \
  X(OLEAUT32, SysAllocString)                            \
  X(OLEAUT32, SysAllocStringLen)                         \
  X(OLEAUT32, SysFreeString)                             \
  X(USER32, MessageBoxW)                                 \
  X(USER32, GetProcessWindowStation)                     \
  X(USER32, GetUserObjectInformationW)                   \
  X(msvcrt, malloc)                                      \
  X(msvcrt, free)

#define VT_DEFINE(dll, function)                                                     \
  ImportProbe g_probe_##function{#dll ".dll", #function};                           \
  template <typename... Arguments>                                                   \
  auto Call_##function(Arguments... arguments) {                                     \
    Timing timing(g_probe_##function);                                               \
    return reinterpret_cast<decltype(&::function)>(g_probe_##function.original)(    \
        arguments...);                                                               \
  }
VT_PROBES(VT_DEFINE)
#undef VT_DEFINE

// The replacements, written out: a template cannot carry WINAPI.
void WINAPI Hook_OutputDebugStringW(LPCWSTR text) { Call_OutputDebugStringW(text); }
BOOL WINAPI Hook_IsDebuggerPresent() { return Call_IsDebuggerPresent(); }
HANDLE WINAPI Hook_OpenEventW(DWORD access, BOOL inherit, LPCWSTR name) {
  return Call_OpenEventW(access, inherit, name);
}
HANDLE WINAPI Hook_OpenFileMappingW(DWORD access, BOOL inherit, LPCWSTR name) {
  return Call_OpenFileMappingW(access, inherit, name);
}
BOOL WINAPI Hook_GetFileAttributesExW(LPCWSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID data) {
  return Call_GetFileAttributesExW(name, level, data);
}
HANDLE WINAPI Hook_CreateFileW(LPCWSTR name, DWORD access, DWORD share,
                               LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                               HANDLE model) {
  return Call_CreateFileW(name, access, share, security, disposition, flags, model);
}
BOOL WINAPI Hook_GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
  return Call_GetFileInformationByHandle(file, info);
}
DWORD WINAPI Hook_WaitForSingleObject(HANDLE object, DWORD timeout) {
  return Call_WaitForSingleObject(object, timeout);
}
DWORD WINAPI Hook_GetModuleFileNameW(HMODULE module, LPWSTR name, DWORD size) {
  return Call_GetModuleFileNameW(module, name, size);
}
void WINAPI Hook_GetSystemTimeAsFileTime(LPFILETIME time) { Call_GetSystemTimeAsFileTime(time); }
LONG WINAPI Hook_RegOpenKeyExW(HKEY key, LPCWSTR name, DWORD options, REGSAM access, PHKEY out) {
  return Call_RegOpenKeyExW(key, name, options, access, out);
}
LONG WINAPI Hook_RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type,
                                  LPBYTE data, LPDWORD size) {
  return Call_RegQueryValueExW(key, name, reserved, type, data, size);
}
HRESULT WINAPI Hook_CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                     LPVOID* object) {
  return Call_CoCreateInstance(clsid, outer, context, iid, object);
}
HRESULT WINAPI Hook_CoInitializeEx(LPVOID reserved, DWORD model) {
  return Call_CoInitializeEx(reserved, model);
}
void WINAPI Hook_CoUninitialize() { Call_CoUninitialize(); }
HRESULT WINAPI Hook_LoadRegTypeLib(REFGUID guid, WORD major, WORD minor, LCID locale,
                                   ITypeLib** library) {
  return Call_LoadRegTypeLib(guid, major, minor, locale, library);
}
BSTR WINAPI Hook_SysAllocString(const OLECHAR* text) { return Call_SysAllocString(text); }
BSTR WINAPI Hook_SysAllocStringLen(const OLECHAR* text, UINT length) {
  return Call_SysAllocStringLen(text, length);
}
void WINAPI Hook_SysFreeString(BSTR text) { Call_SysFreeString(text); }
int WINAPI Hook_MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return Call_MessageBoxW(owner, text, caption, type);
}
HWINSTA WINAPI Hook_GetProcessWindowStation() { return Call_GetProcessWindowStation(); }
BOOL WINAPI Hook_GetUserObjectInformationW(HANDLE object, int index, PVOID info, DWORD length,
                                           LPDWORD needed) {
  return Call_GetUserObjectInformationW(object, index, info, length, needed);
}
void* Hook_malloc(size_t size) { return Call_malloc(size); }
void Hook_free(void* block) { Call_free(block); }

struct Hook {
  ImportProbe* probe;
  void* replacement;
};

#define VT_HOOK(dll, function) \
  {&g_probe_##function, reinterpret_cast<void*>(&Hook_##function)},
const Hook kHooks[] = {VT_PROBES(VT_HOOK)};
#undef VT_HOOK

}  // namespace

void ImportProfile::Install(HMODULE module) {
  m_module = module;
  for (const Hook& hook : kHooks) {
    hook.probe->original = PatchImport(module, hook.probe->dll, hook.probe->name, hook.replacement);
  }
  Reset();
}

void ImportProfile::Remove() {
  if (!m_module) return;
  for (const Hook& hook : kHooks) {
    if (hook.probe->original) {
      PatchImport(m_module, hook.probe->dll, hook.probe->name, hook.probe->original);
      hook.probe->original = nullptr;
    }
  }
  m_module = nullptr;
}

void ImportProfile::Reset() {
  for (const Hook& hook : kHooks) {
    hook.probe->calls = 0;
    hook.probe->ticks = 0;
  }
}

std::vector<ImportProbe*> ImportProfile::Probes() const {
  std::vector<ImportProbe*> probes;
  for (const Hook& hook : kHooks) {
    if (hook.probe->original) probes.push_back(hook.probe);
  }
  return probes;
}

LONG ImportProfile::DebugOutputCalls() const {
  return g_probe_OutputDebugStringW.original ? g_probe_OutputDebugStringW.calls : -1;
}

double TicksPerSecond() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(frequency.QuadPart);
}

}  // namespace vellumtrace
