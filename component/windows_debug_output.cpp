#include "component/windows_debug_output.h"

#include <windows.h>

#include <string>

namespace vellumtrace {

// A listener creates the buffer, this event and DBWIN_DATA_READY, and the
// system delivers only when all three are there: without the event nobody
// receives anything. The name is looked up where the system's own call looks
// it up, in the caller's session (a service's session is the global one).
bool WindowsDebugOutput::ObserverPresent() {
  if (IsDebuggerPresent()) return true;
  const HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, L"DBWIN_BUFFER_READY");
  if (event) {
    CloseHandle(event);
    return true;
  }
  // A listener of another user or of higher integrity may forbid us to open
  // its event; it still receives what we send.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

void WindowsDebugOutput::BeginRun() { m_observed = ObserverPresent(); }

void WindowsDebugOutput::Write(std::u16string_view fragment) {
  // The call needs a NUL-terminated string; texts reach the engine only up
  // to their first NUL, so a fragment holds none.
  m_buffer.assign(fragment.begin(), fragment.end());
  OutputDebugStringW(m_buffer.c_str());
}

}  // namespace vellumtrace
