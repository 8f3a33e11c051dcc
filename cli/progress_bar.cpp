#include "cli/progress_bar.h"

#include <unistd.h>

#include <string>

namespace vellumtrace {
namespace {
constexpr size_t kBarWidth = 30;
}  // namespace

ProgressBar::ProgressBar(std::FILE* stream)
    : m_stream(stream), m_enabled(isatty(fileno(stream)) != 0) {}

void ProgressBar::Show(size_t done, size_t total) {
  if (!m_enabled || total == 0) return;
  const size_t filled = done * kBarWidth / total;
  std::string line = "\r[";
  line.append(filled, '#');
  line.append(kBarWidth - filled, '.');
  line += "] " + std::to_string(done) + "/" + std::to_string(total);
  std::fputs(line.c_str(), m_stream);
  std::fflush(m_stream);
  m_drawn = true;
}

void ProgressBar::Finish() {
  if (!m_drawn) return;
  // Spaces over the bar, so that what follows starts on a clean line.
  const std::string blank = "\r" + std::string(kBarWidth + 24, ' ') + "\r";
  std::fputs(blank.c_str(), m_stream);
  std::fflush(m_stream);
  m_drawn = false;
}

}  // namespace vellumtrace
