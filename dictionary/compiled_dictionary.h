#ifndef VELLUMTRACE_DICTIONARY_COMPILED_DICTIONARY_H_
#define VELLUMTRACE_DICTIONARY_COMPILED_DICTIONARY_H_

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/language_dictionary.h"
#include "dictionary/rewrite_rule.h"
#include "base/hash_table.h"

namespace vellumtrace {

// The most code units that a dictionary's prefix and suffix rules may add
// to a word in total (the sum over those rules of what each one lengthens a
// word by). Every rule applies at most once, so this bounds the growth of
// any stem, and a run's cost stays linear in its text.
inline constexpr size_t kMaxRuleGrowth = 1024;

// A dictionary made ready for runs: the lists as read (for the dumps), the
// stemming rules split once, indexed by the code unit their match starts or
// ends with, and the grader terms in a hash set. Immutable once built, so
// one instance may serve any number of runs and threads at once.
class CompiledDictionary {
 public:
  // The empty dictionary: no rules, no terms.
  CompiledDictionary();
  explicit CompiledDictionary(LanguageDictionary lists);

  CompiledDictionary(const CompiledDictionary&) = delete;
  CompiledDictionary& operator=(const CompiledDictionary&) = delete;

  const LanguageDictionary& Lists() const { return m_lists; }
  // What the prefix and suffix rules can add to a word, in total.
  size_t RuleGrowth() const { return m_growth; }

  // Writes the stem of `word` into `stem`: the prefix rules, then the
  // suffix rules, each tried once in list order on what the rules before
  // it left.
  void Stem(std::u16string_view word, std::u16string& stem) const;
  std::u16string Stem(std::u16string_view word) const;
  // True when the token ends a sentence: it ends with a break ending and
  // with no don't-break ending (which wins whatever the lengths).
  bool IsSentenceBreak(std::u16string_view token) const;
  bool IsGraderTerm(std::u16string_view stem) const { return m_graderTerms.contains(stem); }

 private:
  // Rules whose match part begins (prefix rules) or ends (suffix rules)
  // with a given code unit, by list index; rules with an empty match apply
  // to every word and are kept apart.
  struct RuleIndex {
    std::vector<RewriteRule> rules;
    std::array<std::vector<uint32_t>, 128> ascii;
    HashMap<char16_t, std::vector<uint32_t>> other;
    std::vector<uint32_t> anyWord;
  };
  // The code units that some ending of a list ends with: a token ending in
  // none of them matches no ending (unless the list holds an empty one).
  struct EndingFilter {
    std::bitset<65536> lastUnits;
    bool hasEmpty = false;
  };
  static void BuildFilter(const RuleList& endings, EndingFilter& filter);
  static bool EndsWithAny(std::u16string_view token, const RuleList& endings,
                          const EndingFilter& filter);
  static void BuildIndex(const RuleList& entries, bool byLastUnit, RuleIndex& index);
  // The first rule at or after `from` that could match a word whose edge
  // unit is `unit` (an empty word has none); npos when there is none.
  static size_t NextCandidate(const RuleIndex& index, size_t from, bool hasUnit,
                              char16_t unit);

  LanguageDictionary m_lists;
  RuleIndex m_prefixRules;
  RuleIndex m_suffixRules;
  EndingFilter m_breakFilter;
  EndingFilter m_dontBreakFilter;
  HashSet<std::u16string_view, U16Hash> m_graderTerms;
  size_t m_growth = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_COMPILED_DICTIONARY_H_
