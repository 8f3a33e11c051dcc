#include "analysis/token_memo.h"

#include <utility>

namespace vellumtrace {

void TokenMemo::Bind(std::shared_ptr<const CompiledDictionary> dictionary) {
  if (dictionary != m_dictionary || TokenCount() > kMostTokens || !m_stems) {
    m_dictionary = std::move(dictionary);
    Clear();
  }
}

void TokenMemo::Clear() {
  m_shortTokens = decltype(m_shortTokens)();
  m_mediumTokens = decltype(m_mediumTokens)();
  m_tokens = TextTable();
  m_facts.clear();
  m_stems = std::make_shared<TextTable>();
  m_runStemIds.clear();
  m_stemIsGraderTerm.clear();
  m_closingWord.reset();
}

TokenFacts TokenMemo::FactsFromDictionary(std::u16string_view token) {
  m_dictionary->Stem(token, m_scratch);
  const TextTable::Id stem = m_stems->Intern(m_scratch);
  if (stem == m_runStemIds.size()) {
    m_runStemIds.push_back(TextTable::kAbsent);
    m_stemIsGraderTerm.push_back(m_dictionary->IsGraderTerm(m_scratch) ? 1 : 0);
  }
  TokenFacts facts;
  facts.stem = stem;
  facts.SetInToken(StemInToken::Of(m_scratch, token));
  facts.endsSentence = m_dictionary->IsSentenceBreak(token);
  facts.graderTerm = m_stemIsGraderTerm[stem] != 0;
  return facts;
}

TokenFacts TokenMemo::FactsOfLonger(std::u16string_view token) {
  if (token.size() > ShortToken::kMostUnits && token.size() <= MediumToken::kMostUnits) {
    const MediumToken key = MediumToken::Of(token);
    const auto found = m_mediumTokens.find(key);
    return found != m_mediumTokens.end() ? found->second : Learn(m_mediumTokens, key, token);
  }
  const TextTable::Id known = m_tokens.Find(token);
  if (known != TextTable::kAbsent) return m_facts[known];
  const TokenFacts facts = FactsFromDictionary(token);
  m_tokens.Add(token);
  m_facts.push_back(facts);
  return facts;
}

template <typename Key>
TokenFacts TokenMemo::Learn(PackedTokenMap<Key>& map, const Key& key,
                            std::u16string_view token) {
  return map.try_emplace(key, FactsFromDictionary(token)).first->second;
}
template TokenFacts TokenMemo::Learn(PackedTokenMap<ShortToken>&, const ShortToken&,
                                     std::u16string_view);

}  // namespace vellumtrace
