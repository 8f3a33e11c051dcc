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
  BuildFilter(m_lists.m_linebreak, m_breakFilter);
  BuildFilter(m_lists.m_linedontbreak, m_dontBreakFilter);
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
      const char16_t unit = byLastUnit ? rule.match.back() : rule.match.front();
      (unit < 128 ? index.ascii[unit] : index.other[unit]).push_back(position);
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
    if (unit < 128) {
      if (!index.ascii[unit].empty()) next = std::min(next, firstFrom(index.ascii[unit]));
    } else if (const auto bucket = index.other.find(unit); bucket != index.other.end()) {
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

void CompiledDictionary::BuildFilter(const RuleList& endings, EndingFilter& filter) {
  for (const std::u16string& ending : endings) {
    if (ending.empty()) {
      filter.hasEmpty = true;
    } else {
      filter.lastUnits.set(ending.back());
    }
  }
}

bool CompiledDictionary::EndsWithAny(std::u16string_view token, const RuleList& endings,
                                     const EndingFilter& filter) {
  if (!filter.hasEmpty && (token.empty() || !filter.lastUnits.test(token.back()))) return false;
  return std::any_of(endings.begin(), endings.end(),
                     [token](const std::u16string& ending) { return token.ends_with(ending); });
}

bool CompiledDictionary::IsSentenceBreak(std::u16string_view token) const {
  return EndsWithAny(token, m_lists.m_linebreak, m_breakFilter) &&
         !EndsWithAny(token, m_lists.m_linedontbreak, m_dontBreakFilter);
}

}  // namespace vellumtrace
