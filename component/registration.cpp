#include "component/registration.h"

#include <oleauto.h>

#include <new>
#include <string>

#include "component/registrar.h"
#include "component/resource_ids.h"
#include "component/server_module.h"
#include "platform/windows/com_apartment.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

using UnRegisterTypeLibFunction = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

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

HRESULT ApplyRegistryScript(const std::wstring& modulePath, bool install) {
  ComPtr<IRegistrar> registrar;
  HRESULT hr = CoCreateInstance(kClsidRegistrar, nullptr, CLSCTX_INPROC_SERVER, kIidRegistrar,
                                registrar.ReceiveVoid());
  if (FAILED(hr)) return hr;
  hr = registrar->AddReplacement(L"Module", QuotedForScript(modulePath).c_str());
  if (FAILED(hr)) return hr;
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
  HRESULT hr = LoadTypeLib(modulePath.c_str(), library->Receive());
  if (SUCCEEDED(hr)) return hr;
  const size_t dot = modulePath.rfind(L'.');
  *loadedFrom = (dot == std::wstring::npos ? modulePath : modulePath.substr(0, dot)) + L".tlb";
  return LoadTypeLib(loadedFrom->c_str(), library->Receive());
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t separator = path.rfind(L'\\');
  return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

HRESULT RegisterEverything() {
  const std::wstring modulePath = ModuleFilePath();
  if (modulePath.empty()) return E_FAIL;
  HRESULT hr = ApplyRegistryScript(modulePath, true);
  if (FAILED(hr)) return hr;
  ComPtr<ITypeLib> library;
  std::wstring libraryPath;
  hr = LoadOwnTypeLibrary(modulePath, &library, &libraryPath);
  if (FAILED(hr)) return hr;
  std::wstring helpFolder = FolderOf(libraryPath);
  return RegisterTypeLib(library.Get(), &libraryPath[0], helpFolder.empty() ? nullptr : &helpFolder[0]);
}

void UnregisterTypeLibrary(const std::wstring& modulePath) {
  ComPtr<ITypeLib> library;
  std::wstring libraryPath;
  if (FAILED(LoadOwnTypeLibrary(modulePath, &library, &libraryPath))) return;
  TLIBATTR* attributes = nullptr;
  if (FAILED(library->GetLibAttr(&attributes))) return;
  // Looked up at run time: old systems lack it, and then there is nothing to undo.
  HMODULE oleaut32 = LoadLibraryW(L"oleaut32.dll");
  if (oleaut32) {
    const FARPROC procedure = GetProcAddress(oleaut32, "UnRegisterTypeLib");
    if (procedure) {
      const auto unregister = reinterpret_cast<UnRegisterTypeLibFunction>(
          reinterpret_cast<void (*)()>(procedure));
      unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                 attributes->lcid, attributes->syskind);
    }
    FreeLibrary(oleaut32);
  }
  library->ReleaseTLibAttr(attributes);
}

}  // namespace

HRESULT RegisterServer() {
  ComApartment apartment;
  try {
    return RegisterEverything();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

HRESULT UnregisterServer() {
  ComApartment apartment;
  try {
    const std::wstring modulePath = ModuleFilePath();
    if (modulePath.empty()) return S_OK;
    ApplyRegistryScript(modulePath, false);
    UnregisterTypeLibrary(modulePath);
  } catch (...) {
    // Unregistration reports no failure.
  }
  return S_OK;
}

}  // namespace vellumtrace
