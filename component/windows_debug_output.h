#ifndef VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_
#define VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_

#include <string>
#include <string_view>

#include "base/debug_output.h"

namespace vellumtrace {

// Sends every fragment to the platform's debug output, one
// OutputDebugStringW call each, in runs that someone can observe: a
// debugger attached to the process, or a debug-output listener (the
// DBWIN_BUFFER_READY event that listeners create). Looked up afresh at the
// start of every run; without an observer the run builds and sends no
// fragment.
class WindowsDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view fragment) override;
  bool IsEnabled() const override { return m_observed; }
  void BeginRun() override;

  // Whether a debugger or a debug-output listener is there now.
  static bool ObserverPresent();

 private:
  bool m_observed = false;
  // Reused for the NUL-terminated copy of each fragment.
  std::wstring m_buffer;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_WINDOWS_DEBUG_OUTPUT_H_
