#ifndef VELLUMTRACE_PLATFORM_LINUX_CONSOLE_ALERT_H_
#define VELLUMTRACE_PLATFORM_LINUX_CONSOLE_ALERT_H_

#include <cstdio>
#include <string>

#include "base/alert.h"
#include "base/diagnostic.h"

namespace vellumtrace {

// The alert on a terminal: a bell when standard error is one, then
// "<caption>: <text>" on standard error, and the reason on a second line. Remembers that it was raised so
// the command can report the run as degraded.
class ConsoleAlert final : public Alert {
 public:
  explicit ConsoleAlert(std::FILE* stream) : m_stream(stream) {}
  void Show(std::u16string_view text, std::u16string_view caption) override;
  // "<caption>: <detail>" on the line after the notice, with its caption.
  void ShowDetail(std::u16string_view detail) override;
  int TimesShown() const { return m_timesShown; }

 private:
  std::FILE* m_stream;
  int m_timesShown = 0;
  std::u16string m_caption;
};

// The reader-failure trace "d" on a stream; the command's standard output
// holds the result, so the trace goes to standard error.
class StreamDiagnostic final : public Diagnostic {
 public:
  explicit StreamDiagnostic(std::FILE* stream) : m_stream(stream) {}
  void WriteReaderFailure() override;

 private:
  std::FILE* m_stream;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_LINUX_CONSOLE_ALERT_H_
