#ifndef VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_
#define VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_

#include "dictionary/rule_list.h"

namespace vellumtrace {

class Diagnostic;
class XmlDocument;

// The item lists of a language's dictionary file exactly as read: the eight
// rule sections and the grader terms, in document order.
struct LanguageDictionary {
  RuleList m_pre;
  RuleList m_post;
  RuleList m_step1_pre;
  RuleList m_step1_post;
  RuleList m_synonyms;
  RuleList m_manual;
  RuleList m_linebreak;
  RuleList m_linedontbreak;
  RuleList m_grader_tc;

  // Appends the grader terms, then the items of the eight sections, of a
  // loaded document. A section that cannot be had writes the diagnostic;
  // among the eight, it also ends the reading.
  void ReadSections(XmlDocument& document, Diagnostic& diagnostic);
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_LANGUAGE_DICTIONARY_H_
