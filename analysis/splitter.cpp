// Sentence and word splitter: white-space tokens, kept exactly, and
// sentence ends decided token by token from the dictionary's endings.
#include <memory>
#include <utility>
#include <vector>

#include "analysis/tokenizer.h"
#include "engine/summarizer_engine.h"

namespace vellumtrace {

void Sentence::AddWord(std::u16string word) {
  ++wordCount;
  auto entry = std::make_unique<WordEntry>();
  entry->word = std::move(word);
  words.push_back(std::move(entry));
}

Sentence& SummarizerEngine::NewSentence() {
  m_sentences.push_back(std::make_unique<Sentence>());
  return *m_sentences.back();
}

bool SummarizerEngine::IsSentenceBreak(const std::u16string& token) {
  if (auto cached = m_breakCache.find(token); cached != m_breakCache.end()) {
    return cached->second;
  }
  bool result = false;
  for (const std::u16string& ending : m_dictionary.m_linebreak) {
    if (EndsWith(token, ending)) {
      result = true;
      break;
    }
  }
  // A "don't break" ending wins over any break ending, whatever the lengths.
  for (const std::u16string& ending : m_dictionary.m_linedontbreak) {
    if (EndsWith(token, ending)) {
      result = false;
      break;
    }
  }
  m_breakCache.emplace(token, result);
  return result;
}

void SummarizerEngine::SplitText() {
  Sentence* current = &NewSentence();
  std::vector<std::u16string> tokens;
  Tokenize(m_text, tokens);
  for (std::u16string& token : tokens) {
    const bool ends = IsSentenceBreak(token);
    current->AddWord(std::move(token));
    if (ends) current = &NewSentence();
  }
  // Every split ends with a single-space word; later stages count it.
  current->AddWord(u" ");
}

}  // namespace vellumtrace
