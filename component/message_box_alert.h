#ifndef VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_
#define VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_

#include <string_view>

#include "base/alert.h"
#include "base/diagnostic.h"

namespace vellumtrace {

// The alert as the user sees it: MessageBeep(500), then a modal message
// box without owner, with one OK button, that blocks the calling thread
// until it is closed.
class MessageBoxAlert final : public Alert {
 public:
  void Show(std::u16string_view text, std::u16string_view caption) override;
};

// The reader-failure trace: "d" on the process's standard output.
class PrintfDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_
