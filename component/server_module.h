#ifndef VELLUMTRACE_COMPONENT_SERVER_MODULE_H_
#define VELLUMTRACE_COMPONENT_SERVER_MODULE_H_

#include <windows.h>

#include <string>

#include "component/critical_section.h"

namespace vellumtrace {

// Module-wide state of the in-process server: its handle, the lock count
// that decides when it may be unloaded, and the guards of the one-time
// creations. Set up on process attach, torn down on process detach.
struct ServerModule {
  HINSTANCE m_instance = nullptr;
  volatile LONG m_lockCount = 0;
  // The part of m_lockCount that LockServer(TRUE) took.
  volatile LONG m_serverLocks = 0;
  CriticalSection m_classFactorySection;
  CriticalSection m_typeInfoSection;
};

ServerModule& TheServerModule();

// One lock per live object, LockServer(TRUE) and client-held factory.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// The full path of this DLL (at most MAX_PATH units), empty on failure.
std::wstring ModuleFilePath();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_SERVER_MODULE_H_
