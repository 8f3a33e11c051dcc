#ifndef VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_
#define VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/text_table.h"
#include "dictionary/compiled_dictionary.h"

namespace vellumtrace {

// What a dictionary makes of one token: its stem and whether the token
// ends a sentence.
struct TokenFacts {
  TextTable::Id stem = 0;  // in TokenMemo::Stems()
  bool endsSentence = false;
};

// What one dictionary makes of each distinct token, kept from run to run:
// both are pure functions of the token and the dictionary, and texts of
// one language share most of their words, so a run stems and tests only
// the tokens no earlier run has seen. One memo serves one engine (one
// thread at a time).
class TokenMemo {
 public:
  // Past this many distinct tokens, the next Bind starts afresh.
  static constexpr size_t kMostTokens = size_t{1} << 18;

  // Readies the memo for a run with `dictionary`: a different dictionary,
  // or a memo grown past its bound, starts afresh.
  void Bind(std::shared_ptr<const CompiledDictionary> dictionary);

  const TokenFacts& FactsOf(std::u16string_view token) {
    const TextTable::Id known = m_tokens.Find(token);
    return known != TextTable::kAbsent ? m_facts[known] : Learn(token);
  }
  // The stems of the tokens learnt so far. Shared, so that a run's article
  // may keep reading them after the memo starts afresh.
  std::shared_ptr<const TextTable> Stems() const { return m_stems; }

  // Scratch for a run: by memo stem id, the run's own stem id (or
  // TextTable::kAbsent), and all of them kAbsent between runs.
  std::vector<TextTable::Id>& RunStemIds() { return m_runStemIds; }
  // Distinct tokens learnt since the memo last started afresh.
  size_t TokenCount() const { return m_facts.size(); }

 private:
  const TokenFacts& Learn(std::u16string_view token);
  void Clear();

  std::shared_ptr<const CompiledDictionary> m_dictionary;
  TextTable m_tokens;
  std::vector<TokenFacts> m_facts;  // by token id
  std::shared_ptr<TextTable> m_stems;
  std::vector<TextTable::Id> m_runStemIds;
  std::u16string m_scratch;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_
