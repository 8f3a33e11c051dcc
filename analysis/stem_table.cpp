#include "analysis/stem_table.h"

#include <algorithm>

namespace vellumtrace {

namespace {
constexpr size_t kChunkUnits = 16 * 1024;
}  // namespace

std::u16string_view StemTable::Store(std::u16string_view stem) {
  if (stem.size() > m_left) {
    const size_t units = std::max(kChunkUnits, stem.size());
    m_chunks.push_back(std::make_unique_for_overwrite<char16_t[]>(units));
    m_free = m_chunks.back().get();
    m_left = units;
  }
  std::copy(stem.begin(), stem.end(), m_free);
  const std::u16string_view stored(m_free, stem.size());
  m_free += stem.size();
  m_left -= stem.size();
  return stored;
}

StemTable::Id StemTable::Intern(std::u16string_view stem) {
  // Stored first, so that one hash both finds and inserts; a stem already
  // known gives its units back (they are the arena's last).
  const std::u16string_view stored = Store(stem);
  const auto [entry, isNew] = m_ids.try_emplace(stored, static_cast<Id>(m_texts.size()));
  if (!isNew) {
    m_free -= stored.size();
    m_left += stored.size();
    return entry->second;
  }
  m_texts.push_back(stored);
  return entry->second;
}

}  // namespace vellumtrace
