#include "platform/linux/stream_debug_output.h"

#include "text/utf_codec.h"

namespace vellumtrace {

namespace {
constexpr size_t kFlushThreshold = 1 << 16;
}  // namespace

void StreamDebugOutput::Write(std::u16string_view fragment) {
  AppendUtf8(m_buffer, fragment);
  if (m_buffer.size() >= kFlushThreshold) Flush();
}

bool StreamDebugOutput::Flush() {
  if (m_stream == nullptr) return m_buffer.empty() && !m_failed;
  if (!m_buffer.empty()) {
    if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_stream) != m_buffer.size()) {
      m_failed = true;
    }
    m_buffer.clear();
  }
  if (std::fflush(m_stream) != 0) m_failed = true;
  return !m_failed;
}

}  // namespace vellumtrace
