#ifndef VELLUMTRACE_CLI_PROGRESS_BAR_H_
#define VELLUMTRACE_CLI_PROGRESS_BAR_H_

#include <cstddef>
#include <cstdio>

namespace vellumtrace {

// A one-line progress bar redrawn in place. It draws only when its stream
// is a terminal, so logs and pipes never see it; Finish() erases it.
class ProgressBar {
 public:
  explicit ProgressBar(std::FILE* stream);
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Show(size_t done, size_t total);
  void Finish();

 private:
  std::FILE* m_stream;
  bool m_enabled;
  bool m_drawn = false;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_PROGRESS_BAR_H_
