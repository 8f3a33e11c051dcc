#ifndef VELLUMTRACE_COMPONENT_REGISTRY_PATH_H_
#define VELLUMTRACE_COMPONENT_REGISTRY_PATH_H_

#include <windows.h>

#include <string>

namespace vellumtrace {

// The default value of `root`\`subKey` as a path: REG_SZ as stored,
// REG_EXPAND_SZ with its environment strings expanded. Empty when the key
// or value is missing, of another type, or longer than a path can be.
std::wstring ReadRegisteredPath(HKEY root, const std::wstring& subKey);

// True when both paths name the same file: the same volume and file index
// when both files can be opened, else the same full path (ignoring case).
bool IsSameFile(const std::wstring& first, const std::wstring& second);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRY_PATH_H_
