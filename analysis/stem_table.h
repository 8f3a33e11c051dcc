#ifndef VELLUMTRACE_ANALYSIS_STEM_TABLE_H_
#define VELLUMTRACE_ANALYSIS_STEM_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "analysis/text_arena.h"
#include "engine/hash_table.h"

namespace vellumtrace {

// The distinct stems of a run, each stored once in an arena and known by a
// dense id (0, 1, 2, ... in order of first interning).
class StemTable {
 public:
  using Id = uint32_t;

  // The id of `stem`, storing it first when it is new.
  Id Intern(std::u16string_view stem);
  // Room for `stems` distinct stems without rehashing.
  void Reserve(size_t stems) {
    m_ids.reserve(stems);
    m_texts.reserve(stems);
  }
  std::u16string_view Text(Id id) const { return m_texts[id]; }
  size_t Size() const { return m_texts.size(); }

 private:
  TextArena m_arena;
  std::vector<std::u16string_view> m_texts;
  HashMap<std::u16string_view, Id, U16Hash, U16Equal> m_ids;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_STEM_TABLE_H_
