#include "platform/linux/console_alert.h"

#include <unistd.h>

#include <string>

#include "text/utf_codec.h"

namespace vellumtrace {

void ConsoleAlert::Show(std::u16string_view text, std::u16string_view caption) {
  ++m_timesShown;
  m_caption.assign(caption);
  if (isatty(fileno(m_stream))) std::fputc('\a', m_stream);
  const std::string line = EncodeUtf8(caption) + ": " + EncodeUtf8(text) + "\n";
  std::fputs(line.c_str(), m_stream);
  std::fflush(m_stream);
}

void ConsoleAlert::ShowDetail(std::u16string_view detail) {
  const std::string line = EncodeUtf8(m_caption) + ": " + EncodeUtf8(detail) + "\n";
  std::fputs(line.c_str(), m_stream);
  std::fflush(m_stream);
}

void StreamDiagnostic::WriteReaderFailure() {
  std::fputs("d", m_stream);
  std::fflush(m_stream);
}

}  // namespace vellumtrace
