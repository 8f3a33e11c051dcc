#ifndef VELLUMTRACE_CLI_OPTION_VALUES_H_
#define VELLUMTRACE_CLI_OPTION_VALUES_H_

// Checks on option values shared by the commands: numbers are plain
// decimals (no sign, no octal-looking leading zero, no hex) and paths are
// never empty, so that no typo silently means something else.
#include <CLI/CLI.hpp>

#include <string>

namespace vellumtrace {

inline const CLI::Validator kDecimal(
    [](std::string& value) -> std::string {
      if (value.empty()) return "an empty value is not a number";
      if (value.find_first_not_of("0123456789") != std::string::npos ||
          (value.size() > 1 && value[0] == '0')) {
        return "'" + value + "' is not a decimal number without sign or leading zero";
      }
      return {};
    },
    "");

// After kDecimal: a count from 1 up.
inline const CLI::Validator kPositive(
    [](std::string& value) -> std::string {
      return value == "0" ? "a count from 1 up was expected, not 0" : std::string();
    },
    "");

inline const CLI::Validator kNonEmpty(
    [](std::string& value) -> std::string {
      return value.empty() ? "an empty path names no file" : std::string();
    },
    "");

// The first argument of the form "--name=" (an empty value, which the
// parser would let take the next argument instead), or null.
inline const char* FindEmptyAssignment(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--") break;
    if (argument.starts_with("--") && argument.size() > 3 && argument.back() == '=' &&
        argument.find('=') == argument.size() - 1) {
      return argv[i];
    }
  }
  return nullptr;
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_OPTION_VALUES_H_
