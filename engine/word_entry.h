#ifndef VELLUMTRACE_ENGINE_WORD_ENTRY_H_
#define VELLUMTRACE_ENGINE_WORD_ENTRY_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellumtrace {

// One word of the text. A sentence's words carry only `word`; word-list and
// important-word entries also carry the stem and the number of occurrences.
struct WordEntry {
  std::u16string word;
  std::u16string stem;
  // 64 bits so that no text held in memory can overflow a count.
  int64_t count = 0;
};

// An ordered list that owns its entries.
using WordList = std::vector<std::unique_ptr<WordEntry>>;

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_WORD_ENTRY_H_
