#ifndef VELLUMTRACE_TESTS_SUPPORT_TEST_PATHS_H_
#define VELLUMTRACE_TESTS_SUPPORT_TEST_PATHS_H_

#include <filesystem>
#include <string>

namespace vellumtrace::testing {

inline std::filesystem::path TestDataDir() { return VELLUMTRACE_TESTDATA_DIR; }
inline std::filesystem::path SourceDir() { return VELLUMTRACE_SOURCE_DIR; }
inline std::filesystem::path CliBinary() { return VELLUMTRACE_CLI_BINARY; }

// A UTF-16 path for the engine (test paths are ASCII).
inline std::u16string U16Path(const std::filesystem::path& path) {
  const std::string s = path.string();
  return std::u16string(s.begin(), s.end());
}

}  // namespace vellumtrace::testing

#endif  // VELLUMTRACE_TESTS_SUPPORT_TEST_PATHS_H_
