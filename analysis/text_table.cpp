#include "analysis/text_table.h"

namespace vellumtrace {

TextTable::Id TextTable::Add(std::u16string_view text) {
  const auto id = static_cast<Id>(m_texts->size());
  // The list first: the table hashes the new id through it.
  m_texts->push_back(m_arena.Store(text));
  m_ids.insert(id);
  return id;
}

}  // namespace vellumtrace
