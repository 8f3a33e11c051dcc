#include "component/message_box_alert.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace vellumtrace {

void MessageBoxAlert::Show(std::u16string_view text, std::u16string_view caption) {
  const std::wstring message(text.begin(), text.end());
  const std::wstring title(caption.begin(), caption.end());
  // 500 is none of the named beep types: the default sound.
  MessageBeep(500);
  MessageBoxW(nullptr, message.c_str(), title.c_str(), MB_OK);
}

void PrintfDiagnostic::WriteReaderFailure() {
  std::printf("d");
  // Hosts rarely flush the runtime they share with us before they end.
  std::fflush(stdout);
}

}  // namespace vellumtrace
