#include "analysis/text_arena.h"

#include <algorithm>

namespace vellumtrace {

namespace {
constexpr size_t kChunkUnits = 16 * 1024;
}  // namespace

std::u16string_view TextArena::Store(std::u16string_view text) {
  if (text.size() > m_left) {
    const size_t units = std::max(kChunkUnits, text.size());
    m_chunks.push_back(std::make_unique_for_overwrite<char16_t[]>(units));
    m_free = m_chunks.back().get();
    m_left = units;
  }
  std::copy(text.begin(), text.end(), m_free);
  const std::u16string_view stored(m_free, text.size());
  m_free += text.size();
  m_left -= text.size();
  return stored;
}

}  // namespace vellumtrace
