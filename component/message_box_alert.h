#ifndef VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_
#define VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_

#include <string>
#include <string_view>

#include "base/alert.h"
#include "base/diagnostic.h"

namespace vellumtrace {

// The alert as the user sees it: MessageBeep(500), then a modal message
// box without owner, with one OK button, that blocks the calling thread
// until it is closed. On a window station no one can see (a service, a
// server's worker) nobody could close it: there the alert goes to the debug
// output as "caption: text", its reason as a second line, and the call goes
// on at once.
class MessageBoxAlert final : public Alert {
 public:
  void Show(std::u16string_view text, std::u16string_view caption) override;
  void ShowDetail(std::u16string_view detail) override;

 private:
  bool m_boxShown = true;
  std::u16string m_caption;
};

// The reader-failure trace: "d" on the process's standard output.
class PrintfDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_MESSAGE_BOX_ALERT_H_
