#ifndef VELLUMTRACE_COMPONENT_REGISTRATION_H_
#define VELLUMTRACE_COMPONENT_REGISTRATION_H_

#include <windows.h>

namespace vellumtrace {

// Applies the registry script (resource REGISTRY 101, %MODULE% = this
// DLL's path) through the platform's registrar, then registers the type
// library carried as resource TYPELIB 1. Stops at the first failure and
// returns it; the steps before it stay done.
HRESULT RegisterServer();

// Removes what the script wrote (never HKCR\CLSID itself) and unregisters
// the type library. Always S_OK.
HRESULT UnregisterServer();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRATION_H_
