#ifndef VELLUMTRACE_PLATFORM_LINUX_STREAM_DEBUG_OUTPUT_H_
#define VELLUMTRACE_PLATFORM_LINUX_STREAM_DEBUG_OUTPUT_H_

#include <cstdio>
#include <string>

#include "base/debug_output.h"

namespace vellumtrace {

// Writes the dump fragments, in order and unchanged, to a stream as UTF-8.
// Buffered: a large text makes millions of fragments. The stream may be
// given late (before the first fragment), so that a file is opened only
// when the run starts.
class StreamDebugOutput final : public DebugOutput {
 public:
  explicit StreamDebugOutput(std::FILE* stream = nullptr) : m_stream(stream) {}
  ~StreamDebugOutput() override { Flush(); }
  StreamDebugOutput(const StreamDebugOutput&) = delete;
  StreamDebugOutput& operator=(const StreamDebugOutput&) = delete;

  void SetStream(std::FILE* stream) { m_stream = stream; }
  void Write(std::u16string_view fragment) override;
  // Returns false when the stream reported a write error.
  bool Flush();

 private:
  std::FILE* m_stream;
  std::string m_buffer;
  bool m_failed = false;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_LINUX_STREAM_DEBUG_OUTPUT_H_
