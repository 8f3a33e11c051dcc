// Grading: important words ranked by frequency, sentence grades as
// rank-weighted counts of the important words they hold, and the title.
#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "engine/summarizer_engine.h"
#include "grading/rank_weight.h"

namespace vellumtrace {

void SummarizerEngine::Grade() {
  BuildWordList();
  BuildImportantWords();
  SortImportantWords();
  GradeSentences();
  BuildTitle();
}

void SummarizerEngine::BuildImportantWords() {
  const std::unordered_set<std::u16string> excluded(m_grader_tc.begin(),
                                                    m_grader_tc.end());
  for (const auto& entry : m_wordList) {
    if (excluded.contains(entry->stem)) continue;
    m_importantWords.push_back(std::make_unique<WordEntry>(*entry));
  }
}

void SummarizerEngine::SortImportantWords() {
  // Stable: among equally frequent words the earlier one ranks first.
  std::stable_sort(m_importantWords.begin(), m_importantWords.end(),
                   [](const auto& a, const auto& b) { return a->count > b->count; });
}

void SummarizerEngine::GradeSentences() {
  // Stems are unique among the important words, so each stem maps to the
  // one product it adds per occurrence.
  std::unordered_map<std::u16string_view, int64_t> contribution;
  contribution.reserve(m_importantWords.size());
  int64_t rank = 0;
  for (const auto& entry : m_importantWords) {
    ++rank;
    contribution.emplace(entry->stem, RankWeight(rank) * entry->count);
  }
  for (const auto& sentence : m_sentences) {
    for (const auto& word : sentence->words) {
      const auto found = contribution.find(StemWord(word->word));
      if (found != contribution.end()) sentence->grade += found->second;
    }
  }
}

void SummarizerEngine::BuildTitle() {
  const size_t n = std::min(kTitleWords, m_importantWords.size());
  for (size_t i = 0; i < n; ++i) {
    m_title += m_importantWords[i]->word;
    m_title += u',';
  }
}

}  // namespace vellumtrace
