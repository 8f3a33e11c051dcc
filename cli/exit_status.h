#ifndef VELLUMTRACE_CLI_EXIT_STATUS_H_
#define VELLUMTRACE_CLI_EXIT_STATUS_H_

namespace vellumtrace {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoDictionary = 3;

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_EXIT_STATUS_H_
