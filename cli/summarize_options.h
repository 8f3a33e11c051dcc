#ifndef VELLUMTRACE_CLI_SUMMARIZE_OPTIONS_H_
#define VELLUMTRACE_CLI_SUMMARIZE_OPTIONS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/text_bounds.h"

namespace vellumtrace {

// The command's options as given; numbers stay text until checked.
struct SummarizeOptions {
  std::vector<std::string> inputs;
  std::string dictionary;
  std::string language = "en";
  std::string percent = "20";  // decimal: any number of digits clamps
  std::string sentences;       // empty: by percent
  std::string format = "text";
  std::string debugOutput;
  std::string maxLength = std::to_string(kMaxTextLength);
  std::string outputDir;
  std::string jobs;  // empty: every core
  std::vector<std::string> includes;  // --include: name patterns of folder scans
  bool skipExisting = false;
};

// A value that passed the decimal check; too many digits saturate.
inline size_t DecimalValue(const std::string& digits) {
  size_t value = 0;
  for (char digit : digits) {
    const size_t next = value * 10 + static_cast<size_t>(digit - '0');
    if (value > SIZE_MAX / 10 || next < value * 10) return SIZE_MAX;
    value = next;
  }
  return value;
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_SUMMARIZE_OPTIONS_H_
