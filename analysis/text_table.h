#ifndef VELLUMTRACE_ANALYSIS_TEXT_TABLE_H_
#define VELLUMTRACE_ANALYSIS_TEXT_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "analysis/text_arena.h"
#include "base/hash_table.h"

namespace vellumtrace {

// Distinct texts (the stems of a run, or its tokens), each stored once in
// an arena and known by a dense id: 0, 1, 2, ... in order of first
// interning.
//
// The hash table holds only the 4-byte ids and looks their texts up in the
// dense list, so that a table of many thousands of texts stays within the
// processor's caches. The list lives on the heap, where the table's hash
// and equality find it, so that a moved table keeps working.
class TextTable {
 public:
  using Id = uint32_t;
  static constexpr Id kAbsent = UINT32_MAX;

  // The id of `text`, or kAbsent.
  Id Find(std::u16string_view text) const {
    const auto found = m_ids.find(text);
    return found == m_ids.end() ? kAbsent : *found;
  }
  // Stores `text`, which Find has just not found, under the next id.
  Id Add(std::u16string_view text);
  // The id of `text`, storing it first when it is new.
  Id Intern(std::u16string_view text) {
    const Id id = Find(text);
    return id == kAbsent ? Add(text) : id;
  }
  // Room for `texts` distinct texts without rehashing.
  void Reserve(size_t texts) {
    m_ids.reserve(texts);
    m_texts->reserve(texts);
  }
  std::u16string_view Text(Id id) const { return (*m_texts)[id]; }
  size_t Size() const { return m_texts->size(); }

 private:
  // Hash and equality over ids and texts alike, an id standing for its text.
  struct IdHash {
    using is_transparent = void;
    const std::vector<std::u16string_view>* texts;
    size_t operator()(Id id) const { return U16Hash{}((*texts)[id]); }
    size_t operator()(std::u16string_view text) const { return U16Hash{}(text); }
  };
  struct IdEqual {
    using is_transparent = void;
    const std::vector<std::u16string_view>* texts;
    std::u16string_view TextOf(Id id) const { return (*texts)[id]; }
    std::u16string_view TextOf(std::u16string_view text) const { return text; }
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
      return U16Equal{}(TextOf(a), TextOf(b));
    }
  };

  TextArena m_arena;
  std::unique_ptr<std::vector<std::u16string_view>> m_texts =
      std::make_unique<std::vector<std::u16string_view>>();
  HashSet<Id, IdHash, IdEqual> m_ids{0, IdHash{m_texts.get()}, IdEqual{m_texts.get()}};
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_TEXT_TABLE_H_
