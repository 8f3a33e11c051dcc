#ifndef VELLUMTRACE_COMPONENT_REGISTRATION_H_
#define VELLUMTRACE_COMPONENT_REGISTRATION_H_

#include <windows.h>

namespace vellumtrace {

// Where a registration goes: HKCR for the machine (administrators), or
// HKCU\Software\Classes for the current user alone.
enum class RegistrationScope { kMachine, kUser };

// Applies the registry script (resource REGISTRY 101, %MODULE% = this
// DLL's path) through the platform's registrar, then registers the type
// library carried as resource TYPELIB 1. All or nothing: when the type
// library step fails the script's keys are removed again, and that step's
// failure is returned.
HRESULT RegisterServer(RegistrationScope scope);

// Removes what the script wrote (never the CLSID key itself) and
// unregisters the type library, each only when its registration names this
// very DLL: unregistering one copy leaves another copy's registration
// alone. Nothing registered, or another copy's registration: S_OK, nothing
// removed. A failing removal returns its HRESULT.
HRESULT UnregisterServer(RegistrationScope scope);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRATION_H_
