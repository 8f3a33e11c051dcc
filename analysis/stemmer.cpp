// Stemmer: the dictionary's prefix rules, then its suffix rules, each tried
// once in list order on what the rules before it left.
#include "dictionary/language_dictionary.h"
#include "engine/summarizer_engine.h"

namespace vellumtrace {

namespace {

void SplitAll(const RuleList& entries, std::vector<RewriteRule>& rules) {
  rules.clear();
  rules.reserve(entries.size());
  for (const std::u16string& entry : entries) rules.push_back(SplitRule(entry));
}

}  // namespace

void LanguageDictionary::PrepareRules() const {
  if (m_splitPre.size() != m_step1_pre.size()) SplitAll(m_step1_pre, m_splitPre);
  if (m_splitPost.size() != m_step1_post.size()) {
    SplitAll(m_step1_post, m_splitPost);
  }
}

std::u16string LanguageDictionary::Stem(std::u16string_view word) const {
  PrepareRules();
  std::u16string current(word);
  for (const RewriteRule& rule : m_splitPre) {
    if (auto rewritten = ReplacePrefix(current, rule.match, rule.replacement)) {
      current = std::move(*rewritten);
    }
  }
  for (const RewriteRule& rule : m_splitPost) {
    if (auto rewritten = ReplaceSuffix(current, rule.match, rule.replacement)) {
      current = std::move(*rewritten);
    }
  }
  return current;
}

const std::u16string& SummarizerEngine::StemWord(const std::u16string& word) {
  auto found = m_stemCache.find(word);
  if (found == m_stemCache.end()) {
    found = m_stemCache.emplace(word, m_dictionary.Stem(word)).first;
  }
  return found->second;
}

}  // namespace vellumtrace
