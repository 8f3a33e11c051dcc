#ifndef VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_
#define VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_

#include <string_view>

#include "base/debug_output.h"

namespace vellumtrace {

// Sends every fragment to the platform's debug output, one
// OutputDebugStringW call each.
class WindowsDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view fragment) override;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_
