#include "component/registration.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "component/registrar.h"
#include "component/registry_path.h"
#include "component/resource_ids.h"
#include "component/server_module.h"
#include "platform/windows/com_apartment.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
using RegisterTypeLibForUserFunction = HRESULT(WINAPI*)(ITypeLib*, OLECHAR*, OLECHAR*);

constexpr wchar_t kServerKey[] =
    L"CLSID\\{5B07C43F-9E2F-11D6-A417-00508B6E31C2}\\InprocServer32";
constexpr wchar_t kTypeLibraryKey[] = L"TypeLib\\{5B07C431-9E2F-11D6-A417-00508B6E31C2}\\1.0\\0\\"
#ifdef _WIN64
                                      L"win64";
#else
                                      L"win32";
#endif
constexpr wchar_t kUserClassesKey[] = L"Software\\Classes";

// Single quotes delimit the script's strings: a quote in the path is
// doubled there, and the registry receives it once.
std::wstring QuotedForScript(const std::wstring& path) {
  std::wstring quoted;
  for (wchar_t c : path) {
    quoted += c;
    if (c == L'\'') quoted += L'\'';
  }
  return quoted;
}

// The registry script as text, its root HKCR replaced by the current
// user's classes: the same keys, below HKCU\Software\Classes.
HRESULT UserScript(std::wstring* script) {
  const HMODULE module = TheServerModule().m_instance;
  const HRSRC resource =
      FindResourceW(module, MAKEINTRESOURCEW(VELLUMTRACE_REGISTRY_SCRIPT_ID), L"REGISTRY");
  const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!text) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
  const std::string ascii(text, SizeofResource(module, resource));
  const size_t open = ascii.find('{');
  const size_t close = ascii.rfind('}');
  if (open == std::string::npos || close == std::string::npos || close < open) return E_UNEXPECTED;
  const std::string body = ascii.substr(open + 1, close - open - 1);
  *script = L"HKCU\r\n{\r\n\tNoRemove Software\r\n\t{\r\n\t\tNoRemove Classes\r\n\t\t{\r\n" +
            std::wstring(body.begin(), body.end()) + L"\r\n\t\t}\r\n\t}\r\n}\r\n";
  return S_OK;
}

HRESULT ApplyRegistryScript(const std::wstring& modulePath, RegistrationScope scope,
                            bool install) {
  ComPtr<IRegistrar> registrar;
  HRESULT hr = CoCreateInstance(kClsidRegistrar, nullptr, CLSCTX_INPROC_SERVER, kIidRegistrar,
                                registrar.ReceiveVoid());
  if (FAILED(hr)) return hr;
  hr = registrar->AddReplacement(L"Module", QuotedForScript(modulePath).c_str());
  if (FAILED(hr)) return hr;
  if (scope == RegistrationScope::kUser) {
    std::wstring script;
    hr = UserScript(&script);
    if (FAILED(hr)) return hr;
    return install ? registrar->StringRegister(script.c_str())
                   : registrar->StringUnregister(script.c_str());
  }
  return install ? registrar->ResourceRegister(modulePath.c_str(),
                                               VELLUMTRACE_REGISTRY_SCRIPT_ID, L"REGISTRY")
                 : registrar->ResourceUnregister(modulePath.c_str(),
                                                 VELLUMTRACE_REGISTRY_SCRIPT_ID, L"REGISTRY");
}

// The type library from the DLL's own resources, or else from a .tlb file
// of the same name beside it. `loadedFrom` receives the path that served.
HRESULT LoadOwnTypeLibrary(const std::wstring& modulePath, ComPtr<ITypeLib>* library,
                           std::wstring* loadedFrom) {
  *loadedFrom = modulePath;
  HRESULT hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library->Receive());
  if (SUCCEEDED(hr)) return hr;
  const size_t dot = modulePath.rfind(L'.');
  *loadedFrom = (dot == std::wstring::npos ? modulePath : modulePath.substr(0, dot)) + L".tlb";
  return LoadTypeLibEx(loadedFrom->c_str(), REGKIND_NONE, library->Receive());
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// An entry point of oleaut32 looked up at run time: older systems lack the
// per-user ones.
template <typename Function>
Function OleAutomationEntry(const char* name) {
  const HMODULE oleaut32 = GetModuleHandleW(L"oleaut32.dll");
  const FARPROC procedure = oleaut32 ? GetProcAddress(oleaut32, name) : nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(procedure));
}

HRESULT RegisterTypeLibrary(const std::wstring& modulePath, RegistrationScope scope) {
  ComPtr<ITypeLib> library;
  std::wstring libraryPath;
  HRESULT hr = LoadOwnTypeLibrary(modulePath, &library, &libraryPath);
  if (FAILED(hr)) return hr;
  std::wstring helpFolder = FolderOf(libraryPath);
  OLECHAR* help = helpFolder.empty() ? nullptr : &helpFolder[0];
  if (scope == RegistrationScope::kMachine) {
    return RegisterTypeLib(library.Get(), &libraryPath[0], help);
  }
  const auto forUser =
      OleAutomationEntry<RegisterTypeLibForUserFunction>("RegisterTypeLibForUser");
  if (!forUser) return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  return forUser(library.Get(), &libraryPath[0], help);
}

HRESULT UnregisterTypeLibrary(const std::wstring& modulePath, RegistrationScope scope) {
  ComPtr<ITypeLib> library;
  std::wstring libraryPath;
  HRESULT hr = LoadOwnTypeLibrary(modulePath, &library, &libraryPath);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  const auto unregister = OleAutomationEntry<UnRegisterTypeLibFunction>(
      scope == RegistrationScope::kMachine ? "UnRegisterTypeLib" : "UnRegisterTypeLibForUser");
  // Without the entry point there is nothing this system could have registered.
  hr = unregister ? unregister(attributes->guid, attributes->wMajorVerNum,
                               attributes->wMinorVerNum, attributes->lcid, attributes->syskind)
                  : S_OK;
  library->ReleaseTLibAttr(attributes);
  return hr;
}

// Where the scope's registration is read back.
HKEY OpenClassesRoot(RegistrationScope scope) {
  if (scope == RegistrationScope::kMachine) return HKEY_CLASSES_ROOT;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserClassesKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

// Whether the registration at `subKey` (a path value) may be removed: it
// is missing, or names this very DLL.
bool OursOrAbsent(HKEY root, const wchar_t* subKey, const std::wstring& modulePath) {
  if (!root) return true;
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
  RegCloseKey(key);
  return IsSameFile(ReadRegisteredPath(root, subKey), modulePath);
}

HRESULT RegisterEverything(RegistrationScope scope) {
  const std::wstring modulePath = ModuleFilePath();
  if (modulePath.empty()) return E_FAIL;
  HRESULT hr = ApplyRegistryScript(modulePath, scope, true);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLibrary(modulePath, scope);
  if (FAILED(hr)) {
    // All or nothing: class keys without their type library would fail
    // every late-bound call in a way that is hard to trace.
    ApplyRegistryScript(modulePath, scope, false);
  }
  return hr;
}

HRESULT UnregisterEverything(RegistrationScope scope) {
  const std::wstring modulePath = ModuleFilePath();
  if (modulePath.empty()) return E_FAIL;
  const HKEY root = OpenClassesRoot(scope);
  const bool classIsOurs = OursOrAbsent(root, kServerKey, modulePath);
  if (root && root != HKEY_CLASSES_ROOT) RegCloseKey(root);
  // The type library is looked up in the merged view: some systems write
  // a per-user type library registration for the whole machine.
  HKEY key = nullptr;
  const bool libraryRegistered =
      RegOpenKeyExW(HKEY_CLASSES_ROOT, kTypeLibraryKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (libraryRegistered) RegCloseKey(key);
  const bool libraryIsOurs = OursOrAbsent(HKEY_CLASSES_ROOT, kTypeLibraryKey, modulePath);
  HRESULT hr = S_OK;
  if (classIsOurs) hr = ApplyRegistryScript(modulePath, scope, false);
  if (libraryIsOurs && libraryRegistered) {
    const HRESULT libraryHr = UnregisterTypeLibrary(modulePath, scope);
    if (SUCCEEDED(hr)) hr = libraryHr;
  }
  return hr;
}

template <typename Step>
HRESULT Guarded(Step step) {
  ComApartment apartment;
  try {
    return step();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

HRESULT RegisterServer(RegistrationScope scope) {
  return Guarded([scope] { return RegisterEverything(scope); });
}

HRESULT UnregisterServer(RegistrationScope scope) {
  return Guarded([scope] { return UnregisterEverything(scope); });
}

}  // namespace vellumtrace
