#include "component/windows_debug_output.h"

#include <windows.h>

#include <string>

namespace vellumtrace {

void WindowsDebugOutput::Write(std::u16string_view fragment) {
  // The call needs a NUL-terminated string; texts reach the engine only up
  // to their first NUL, so a fragment holds none.
  const std::wstring text(fragment.begin(), fragment.end());
  OutputDebugStringW(text.c_str());
}

}  // namespace vellumtrace
