#ifndef VELLUMTRACE_CLI_EXIT_STATUS_H_
#define VELLUMTRACE_CLI_EXIT_STATUS_H_

#include <cstdio>
#include <string>

namespace vellumtrace {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoDictionary = 3;

// Says what went wrong on standard error and gives `status` back.
inline int Fail(int status, const std::string& message) {
  std::fprintf(stderr, "vellumtrace: %s\n", message.c_str());
  return status;
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_EXIT_STATUS_H_
