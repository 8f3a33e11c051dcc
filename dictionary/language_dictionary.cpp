// Reading the sections of a dictionary document: the grader terms first,
// then the eight rule sections, from the one parsed document.
#include "dictionary/language_dictionary.h"

#include "dictionary/dictionary_loader.h"
#include "dictionary/section_names.h"

namespace vellumtrace {

void LanguageDictionary::ReadSections(XmlDocument& document, Diagnostic& diagnostic) {
  ReadSection(document, section::kGraderTerms, m_grader_tc, diagnostic);
  const struct {
    std::u16string_view name;
    RuleList* list;
  } sections[] = {
      {section::kStep1Pre, &m_step1_pre},   {section::kStep1Post, &m_step1_post},
      {section::kManual, &m_manual},        {section::kPre, &m_pre},
      {section::kPost, &m_post},            {section::kSynonyms, &m_synonyms},
      {section::kLinebreak, &m_linebreak},  {section::kLinedontbreak, &m_linedontbreak},
  };
  for (const auto& s : sections) {
    if (!ReadSection(document, s.name, *s.list, diagnostic)) return;
  }
}

}  // namespace vellumtrace
