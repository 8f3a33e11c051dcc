#ifndef VELLUMTRACE_COMPONENT_TYPE_INFO_CACHE_H_
#define VELLUMTRACE_COMPONENT_TYPE_INFO_CACHE_H_

#include <windows.h>
#include <oaidl.h>

namespace vellumtrace {

// The vtable type information of ICSummarizer, loaded on first use from the
// registered type library (LIBID, version 1.0), or from this DLL's own
// resources when that cannot be loaded, under the module's critical
// section and kept for the life of the module. IDispatch is served from it.

// Hands out an added reference.
HRESULT GetSummarizerTypeInfo(ITypeInfo** info);

// The DISPID of a member whose name equals `name` exactly (same length,
// same units); false when none does or the information is not loaded.
bool FindCachedMemberId(const wchar_t* name, DISPID* id);

// Drops the cached information (module unload).
void ReleaseSummarizerTypeInfo();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_TYPE_INFO_CACHE_H_
