#include "tests/wine/clients/message_box_watcher.h"

#include <utility>

namespace vellumtrace {
namespace {

std::wstring WindowText(HWND window) {
  wchar_t buffer[512] = {};
  const int length = GetWindowTextW(window, buffer, 512);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::wstring ClassOf(HWND window) {
  wchar_t buffer[64] = {};
  const int length = GetClassNameW(window, buffer, 64);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
  auto* seen = reinterpret_cast<SeenMessageBox*>(context);
  const std::wstring kind = ClassOf(child);
  if (!IsWindowVisible(child)) return TRUE;
  if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    seen->buttons.push_back(WindowText(child));
  } else if (_wcsicmp(kind.c_str(), L"Static") == 0) {
    const std::wstring text = WindowText(child);
    if (!text.empty()) {
      if (!seen->text.empty()) seen->text += L'|';
      seen->text += text;
    }
  }
  return TRUE;
}

}  // namespace

bool MessageBoxWatcher::Start() {
  m_stopping = 0;
  m_seen.clear();
  m_current = nullptr;
  m_thread = CreateThread(nullptr, 0, &MessageBoxWatcher::WatchLoop, this, 0, nullptr);
  return m_thread != nullptr;
}

void MessageBoxWatcher::Record(HWND box) {
  SeenMessageBox seen;
  EnumChildWindows(box, &CollectChild, reinterpret_cast<LPARAM>(&seen));
  m_seen.push_back(std::move(seen));
  if (m_dismiss) PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

DWORD WINAPI MessageBoxWatcher::WatchLoop(void* self) {
  auto* watcher = static_cast<MessageBoxWatcher*>(self);
  while (!InterlockedCompareExchange(&watcher->m_stopping, 0, 0)) {
    HWND box = FindWindowW(L"#32770", watcher->m_caption.c_str());
    // A box counts once, however long it stays; a new window is a new box.
    if (box && box != watcher->m_current && IsWindowVisible(box)) {
      // Let the dialog finish creating its controls.
      Sleep(200);
      watcher->Record(box);
      watcher->m_current = box;
    } else if (!box) {
      watcher->m_current = nullptr;
    }
    Sleep(50);
  }
  return 0;
}

std::vector<SeenMessageBox> MessageBoxWatcher::Stop() {
  if (m_thread) {
    InterlockedExchange(&m_stopping, 1);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
  }
  return std::move(m_seen);
}

}  // namespace vellumtrace
