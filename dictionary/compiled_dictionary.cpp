// Compiling a dictionary's lists for runs, and the stemmer and sentence-end
// test over the compiled form.
#include "dictionary/compiled_dictionary.h"

#include <algorithm>
#include <utility>

namespace vellumtrace {

CompiledDictionary::CompiledDictionary() = default;

CompiledDictionary::CompiledDictionary(LanguageDictionary lists) : m_lists(std::move(lists)) {
  BuildIndex(m_lists.m_step1_pre, false, m_prefixRules);
  BuildIndex(m_lists.m_step1_post, true, m_suffixRules);
  for (const RuleIndex* index : {&m_prefixRules, &m_suffixRules}) {
    for (const RewriteRule& rule : index->rules) {
      if (rule.replacement.size() > rule.match.size()) {
        m_growth += rule.replacement.size() - rule.match.size();
      }
    }
  }
  // Views into m_lists, which never changes after this point.
  m_graderTerms.reserve(m_lists.m_grader_tc.size());
  for (const std::u16string& term : m_lists.m_grader_tc) m_graderTerms.insert(term);
}

void CompiledDictionary::BuildIndex(const RuleList& entries, bool byLastUnit,
                                    RuleIndex& index) {
  index.rules.reserve(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    RewriteRule rule = SplitRule(entries[i]);
    const auto position = static_cast<uint32_t>(i);
    if (rule.match.empty()) {
      index.anyWord.push_back(position);
    } else {
      index.byUnit[byLastUnit ? rule.match.back() : rule.match.front()].push_back(position);
    }
    index.rules.push_back(std::move(rule));
  }
}

size_t CompiledDictionary::NextCandidate(const RuleIndex& index, size_t from, bool hasUnit,
                                         char16_t unit) {
  size_t next = std::u16string::npos;
  const auto firstFrom = [from](const std::vector<uint32_t>& positions) {
    const auto found = std::lower_bound(positions.begin(), positions.end(), from);
    return found == positions.end() ? std::u16string::npos : size_t{*found};
  };
  if (!index.anyWord.empty()) next = firstFrom(index.anyWord);
  if (hasUnit) {
    if (const auto bucket = index.byUnit.find(unit); bucket != index.byUnit.end()) {
      next = std::min(next, firstFrom(bucket->second));
    }
  }
  return next;
}

void CompiledDictionary::Stem(std::u16string_view word, std::u16string& stem) const {
  stem.assign(word);
  // A rule that applies may change the edge unit, so the next candidate is
  // looked up again after each one.
  for (size_t i = 0;
       (i = NextCandidate(m_prefixRules, i, !stem.empty(), stem.empty() ? u'\0' : stem.front())) !=
       std::u16string::npos;
       ++i) {
    const RewriteRule& rule = m_prefixRules.rules[i];
    if (stem.starts_with(rule.match)) stem.replace(0, rule.match.size(), rule.replacement);
  }
  for (size_t i = 0;
       (i = NextCandidate(m_suffixRules, i, !stem.empty(), stem.empty() ? u'\0' : stem.back())) !=
       std::u16string::npos;
       ++i) {
    const RewriteRule& rule = m_suffixRules.rules[i];
    if (stem.ends_with(rule.match)) {
      stem.replace(stem.size() - rule.match.size(), rule.match.size(), rule.replacement);
    }
  }
}

std::u16string CompiledDictionary::Stem(std::u16string_view word) const {
  std::u16string stem;
  Stem(word, stem);
  return stem;
}

bool CompiledDictionary::IsSentenceBreak(std::u16string_view token) const {
  const auto endsWithAny = [token](const RuleList& endings) {
    return std::any_of(endings.begin(), endings.end(),
                       [token](const std::u16string& ending) { return token.ends_with(ending); });
  };
  return endsWithAny(m_lists.m_linebreak) && !endsWithAny(m_lists.m_linedontbreak);
}

}  // namespace vellumtrace
