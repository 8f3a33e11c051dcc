#include "analysis/stem_table.h"

namespace vellumtrace {

StemTable::Id StemTable::Intern(std::u16string_view stem) {
  // Stored first, so that one hash both finds and inserts; a stem already
  // known gives its units back (they are the arena's last).
  const std::u16string_view stored = m_arena.Store(stem);
  const auto [entry, isNew] = m_ids.try_emplace(stored, static_cast<Id>(m_texts.size()));
  if (!isNew) {
    m_arena.Unstore(stored);
    return entry->second;
  }
  m_texts.push_back(stored);
  return entry->second;
}

}  // namespace vellumtrace
