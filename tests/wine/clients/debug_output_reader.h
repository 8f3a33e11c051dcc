#ifndef VELLUMTRACE_TESTS_WINE_CLIENTS_DEBUG_OUTPUT_READER_H_
#define VELLUMTRACE_TESTS_WINE_CLIENTS_DEBUG_OUTPUT_READER_H_

#include <windows.h>

#include <string>
#include <vector>

namespace vellumtrace {

// Collects what the process writes with OutputDebugString while it runs,
// one entry per call, as a debug-output viewer would: through the shared
// DBWIN buffer, which carries the text in the ANSI code page.
class DebugOutputReader {
 public:
  DebugOutputReader() = default;
  DebugOutputReader(const DebugOutputReader&) = delete;
  DebugOutputReader& operator=(const DebugOutputReader&) = delete;
  ~DebugOutputReader() { Stop(); }

  bool Start();
  // Returns every fragment received since Start.
  std::vector<std::string> Stop();

 private:
  static DWORD WINAPI ReadLoop(void* self);

  HANDLE m_bufferReady = nullptr;
  HANDLE m_dataReady = nullptr;
  HANDLE m_mapping = nullptr;
  const char* m_view = nullptr;
  HANDLE m_stop = nullptr;
  HANDLE m_thread = nullptr;
  std::vector<std::string> m_fragments;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TESTS_WINE_CLIENTS_DEBUG_OUTPUT_READER_H_
