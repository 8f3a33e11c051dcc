#include "analysis/token_memo.h"

#include <utility>

namespace vellumtrace {

namespace {
// Past this many distinct tokens a memo starts afresh rather than grow
// without end over a long series of runs: some 15 MB, which the component's
// 32-bit processes can spare, and more than a large news corpus holds.
}  // namespace

void TokenMemo::Bind(std::shared_ptr<const CompiledDictionary> dictionary) {
  if (dictionary != m_dictionary || m_facts.size() > kMostTokens || !m_stems) {
    m_dictionary = std::move(dictionary);
    Clear();
  }
}

void TokenMemo::Clear() {
  m_tokens = TextTable();
  m_facts.clear();
  m_stems = std::make_shared<TextTable>();
  m_runStemIds.clear();
}

const TokenFacts& TokenMemo::Learn(std::u16string_view token) {
  m_dictionary->Stem(token, m_scratch);
  const TextTable::Id stem = m_stems->Intern(m_scratch);
  if (stem == m_runStemIds.size()) m_runStemIds.push_back(TextTable::kAbsent);
  m_tokens.Add(token);
  m_facts.push_back({stem, m_dictionary->IsSentenceBreak(token)});
  return m_facts.back();
}

}  // namespace vellumtrace
