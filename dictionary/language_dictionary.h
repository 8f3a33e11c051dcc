#ifndef VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_
#define VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_

#include <string>
#include <vector>

#include "dictionary/rewrite_rule.h"
#include "dictionary/rule_list.h"

namespace vellumtrace {

class DebugOutput;
class Diagnostic;
class XmlDocument;
class XmlReader;

// The eight rule lists read from a language's dictionary file.
class LanguageDictionary {
 public:
  RuleList m_pre;
  RuleList m_post;
  RuleList m_step1_pre;
  RuleList m_step1_post;
  RuleList m_synonyms;
  RuleList m_manual;
  RuleList m_linebreak;
  RuleList m_linedontbreak;

  // Parses the file at `path` and appends the items of the eight sections.
  // Returns 1 when the file was parsed, 0 otherwise.
  int LoadRuleSections(const std::u16string& path, XmlReader& reader,
                       Diagnostic& diagnostic);
  // Appends the items of the eight sections of a loaded document.
  void ReadSections(XmlDocument& document, Diagnostic& diagnostic);
  // Writes every list but the grader terms to `out`.
  void DumpRuleLists(DebugOutput& out) const;
  // Empties all eight lists.
  void Clear();

  // The stem of `word` by the prefix rules, then the suffix rules.
  std::u16string Stem(std::u16string_view word) const;

 private:
  // Rules are split once per load rather than once per word. The lists only
  // grow between two Clear() calls, so a size mismatch means new rules.
  void PrepareRules() const;

  mutable std::vector<RewriteRule> m_splitPre;
  mutable std::vector<RewriteRule> m_splitPost;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_
