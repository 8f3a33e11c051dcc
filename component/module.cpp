// The DLL's entry point and its exports.
#include <windows.h>
#include <objbase.h>

#include <string>

#include "component/class_factory.h"
#include "component/registration.h"
#include "component/server_module.h"
#include "component/type_info_cache.h"
#include "component/vellumtrace_idl.h"

namespace vellumtrace {

namespace {

ServerModule g_module;

}  // namespace

ServerModule& TheServerModule() { return g_module; }

void LockModule() { InterlockedIncrement(&TheServerModule().m_lockCount); }

void UnlockModule() { InterlockedDecrement(&TheServerModule().m_lockCount); }

LONG ModuleLockCount() { return InterlockedCompareExchange(&TheServerModule().m_lockCount, 0, 0); }

std::wstring ModuleFilePath() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(TheServerModule().m_instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(path, length);
}

}  // namespace vellumtrace

using vellumtrace::TheServerModule;

// No call into COM here: the loader lock is held. Threads that run
// Summarize without an apartment get one from the dictionary reader.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    vellumtrace::ServerModule& module = TheServerModule();
    module.m_instance = instance;
    module.m_classFactorySection.Initialize();
    module.m_typeInfoSection.Initialize();
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH) {
    // At process exit (reserved set) other DLLs may already be gone: leave
    // the cached objects to the system then.
    if (!reserved) {
      vellumtrace::ReleaseCachedClassFactory();
      vellumtrace::ReleaseSummarizerTypeInfo();
      TheServerModule().m_classFactorySection.Delete();
      TheServerModule().m_typeInfoSection.Delete();
    }
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return vellumtrace::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, CLSID_CSummarizer)) return CLASS_E_CLASSNOTAVAILABLE;
  return vellumtrace::GetCachedClassFactory(riid, ppv);
}

STDAPI DllRegisterServer() {
  return vellumtrace::RegisterServer(vellumtrace::RegistrationScope::kMachine);
}

STDAPI DllUnregisterServer() {
  return vellumtrace::UnregisterServer(vellumtrace::RegistrationScope::kMachine);
}

// regsvr32 /n /i:user registers for the current user alone (no
// administrator rights needed), /u /n /i:user removes that again. No
// command line, or "machine", does what DllRegisterServer and
// DllUnregisterServer do. Anything else is E_INVALIDARG.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  vellumtrace::RegistrationScope scope;
  if (commandLine && lstrcmpiW(commandLine, L"user") == 0) {
    scope = vellumtrace::RegistrationScope::kUser;
  } else if (!commandLine || !*commandLine || lstrcmpiW(commandLine, L"machine") == 0) {
    scope = vellumtrace::RegistrationScope::kMachine;
  } else {
    return E_INVALIDARG;
  }
  return install ? vellumtrace::RegisterServer(scope) : vellumtrace::UnregisterServer(scope);
}
