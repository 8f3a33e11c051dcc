// Word list: one entry per distinct stem, in order of first occurrence,
// found through a stem index instead of a walk of the list.
#include <memory>

#include "engine/summarizer_engine.h"

namespace vellumtrace {

bool SummarizerEngine::CountStem(const std::u16string& stem) {
  const auto found = m_wordListIndex.find(stem);
  if (found == m_wordListIndex.end()) return false;
  ++m_wordList[found->second]->count;
  return true;
}

void SummarizerEngine::BuildWordList() {
  for (const auto& sentence : m_sentences) {
    for (const auto& word : sentence->words) {
      const std::u16string& stem = StemWord(word->word);
      if (CountStem(stem)) continue;
      auto entry = std::make_unique<WordEntry>();
      entry->word = word->word;
      entry->stem = stem;
      entry->count = 1;
      m_wordListIndex.emplace(stem, m_wordList.size());
      m_wordList.push_back(std::move(entry));
    }
  }
}

}  // namespace vellumtrace
