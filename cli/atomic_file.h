#ifndef VELLUMTRACE_CLI_ATOMIC_FILE_H_
#define VELLUMTRACE_CLI_ATOMIC_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>

namespace vellumtrace {

// Writes `bytes` to `path` through a hidden temporary file in the same
// folder and one rename, so `path` never holds part of a result. Returns
// false with the reason (a full disk, say); no temporary file remains.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_ATOMIC_FILE_H_
