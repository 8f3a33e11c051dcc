#include "tests/wine/clients/debug_output_reader.h"

#include <utility>

namespace vellumtrace {
namespace {

constexpr DWORD kBufferSize = 4096;

void CloseIfOpen(HANDLE* handle) {
  if (*handle) CloseHandle(*handle);
  *handle = nullptr;
}

}  // namespace

bool DebugOutputReader::Start() {
  m_fragments.clear();
  m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_bufferReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
  m_dataReady = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
  m_mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                 L"DBWIN_BUFFER");
  if (m_mapping) {
    m_view = static_cast<const char*>(MapViewOfFile(m_mapping, FILE_MAP_READ, 0, 0, kBufferSize));
  }
  if (!m_stop || !m_bufferReady || !m_dataReady || !m_view) {
    Stop();
    return false;
  }
  m_thread = CreateThread(nullptr, 0, &DebugOutputReader::ReadLoop, this, 0, nullptr);
  return m_thread != nullptr;
}

DWORD WINAPI DebugOutputReader::ReadLoop(void* self) {
  auto* reader = static_cast<DebugOutputReader*>(self);
  for (;;) {
    SetEvent(reader->m_bufferReady);
    // With both set, the data comes first: a fragment written just before
    // Stop is still read.
    const HANDLE events[] = {reader->m_dataReady, reader->m_stop};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) break;
    // The buffer holds the writer's process id, then the NUL-terminated text.
    const char* text = reader->m_view + sizeof(DWORD);
    size_t length = 0;
    while (length < kBufferSize - sizeof(DWORD) && text[length] != '\0') ++length;
    reader->m_fragments.emplace_back(text, length);
  }
  return 0;
}

std::vector<std::string> DebugOutputReader::Stop() {
  if (m_thread) {
    SetEvent(m_stop);
    WaitForSingleObject(m_thread, INFINITE);
    CloseIfOpen(&m_thread);
  }
  if (m_view) UnmapViewOfFile(m_view);
  m_view = nullptr;
  CloseIfOpen(&m_mapping);
  CloseIfOpen(&m_dataReady);
  CloseIfOpen(&m_bufferReady);
  CloseIfOpen(&m_stop);
  return std::move(m_fragments);
}

}  // namespace vellumtrace
