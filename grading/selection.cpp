// Selection: best-graded sentences first (ties in text order) until they
// hold the requested share of the words.
#include <algorithm>
#include <numeric>

#include "engine/summarizer_engine.h"

namespace vellumtrace {

int64_t SummarizerEngine::SelectNextSentence() {
  // One stable sort replaces a scan of all sentences per pick; it yields
  // the same order, since grades never change during selection.
  if (m_selectionOrder.size() != m_sentences.size()) {
    m_selectionOrder.resize(m_sentences.size());
    std::iota(m_selectionOrder.begin(), m_selectionOrder.end(), size_t{0});
    std::stable_sort(m_selectionOrder.begin(), m_selectionOrder.end(),
                     [this](size_t a, size_t b) {
                       return m_sentences[a]->grade > m_sentences[b]->grade;
                     });
    m_selectionCursor = 0;
  }
  while (m_selectionCursor < m_selectionOrder.size()) {
    Sentence& sentence = *m_sentences[m_selectionOrder[m_selectionCursor++]];
    if (sentence.selected != 0) continue;
    sentence.selected = 1;
    return sentence.wordCount;
  }
  return 0;
}

void SummarizerEngine::SelectByPercentage(int32_t percent) {
  const int32_t p = percent > 100 ? 100 : (percent < 0 ? 0 : percent);
  int64_t total = 0;
  for (const auto& sentence : m_sentences) total += sentence->wordCount;
  const double ratio = p / 100.0;
  int64_t covered = 0;
  while (static_cast<double>(total) * ratio > static_cast<double>(covered)) {
    const int64_t picked = SelectNextSentence();
    if (picked == 0) break;  // everything is selected
    covered += picked;
  }
}

}  // namespace vellumtrace
