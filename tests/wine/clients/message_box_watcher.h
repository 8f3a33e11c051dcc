#ifndef VELLUMTRACE_TESTS_WINE_CLIENTS_MESSAGE_BOX_WATCHER_H_
#define VELLUMTRACE_TESTS_WINE_CLIENTS_MESSAGE_BOX_WATCHER_H_

#include <windows.h>

#include <string>
#include <vector>

namespace vellumtrace {

// What one message box showed.
struct SeenMessageBox {
  std::wstring text;                  // the static controls' texts, joined by '|'
  std::vector<std::wstring> buttons;  // the visible buttons' captions
};

// Watches, from a thread of its own, for top-level dialogs with a given
// caption and records each one that appears. With `dismiss` it presses the
// box's OK button once it has been recorded; otherwise someone else must
// close it (a person, or xdotool under Xvfb).
class MessageBoxWatcher {
 public:
  MessageBoxWatcher(std::wstring caption, bool dismiss)
      : m_caption(std::move(caption)), m_dismiss(dismiss) {}
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  ~MessageBoxWatcher() { Stop(); }

  bool Start();
  // Ends the watch and returns every box seen, in order.
  std::vector<SeenMessageBox> Stop();

 private:
  static DWORD WINAPI WatchLoop(void* self);
  void Record(HWND box);

  std::wstring m_caption;
  bool m_dismiss;
  HANDLE m_thread = nullptr;
  volatile LONG m_stopping = 0;
  HWND m_current = nullptr;
  std::vector<SeenMessageBox> m_seen;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TESTS_WINE_CLIENTS_MESSAGE_BOX_WATCHER_H_
