#include "component/message_box_alert.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace vellumtrace {
namespace {

// A service or a server's worker runs on a window station that no one sees:
// a modal box there can never be closed and would block the call for ever.
bool OnVisibleWindowStation() {
  const HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  // When that cannot be told, keep the box, as an interactive host expects.
  if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed)) {
    return true;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void WriteDebugLine(std::u16string_view caption, std::u16string_view text) {
  std::wstring line(caption.begin(), caption.end());
  line += L": ";
  line.append(text.begin(), text.end());
  line += L"\n";
  OutputDebugStringW(line.c_str());
}

}  // namespace

void MessageBoxAlert::Show(std::u16string_view text, std::u16string_view caption) {
  m_boxShown = OnVisibleWindowStation();
  if (!m_boxShown) {
    m_caption.assign(caption);
    WriteDebugLine(caption, text);
    return;
  }
  const std::wstring message(text.begin(), text.end());
  const std::wstring title(caption.begin(), caption.end());
  // 500 is none of the named beep types: the default sound.
  MessageBeep(500);
  MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_OK);
}

void MessageBoxAlert::ShowDetail(std::u16string_view detail) {
  // Where the alert went to the debug output, the reason follows it there.
  if (!m_boxShown) WriteDebugLine(m_caption, detail);
}

void PrintfDiagnostic::WriteReaderFailure() {
  std::printf("d");
  // Hosts rarely flush the runtime they share with us before they end.
  std::fflush(stdout);
}

}  // namespace vellumtrace
