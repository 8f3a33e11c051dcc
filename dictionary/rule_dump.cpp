// The rule-list dump: a header line per list, then one line per entry.
#include "dictionary/language_dictionary.h"
#include "engine/debug_output.h"
#include "output/dump_fragments.h"

namespace vellumtrace {

void LanguageDictionary::DumpRuleLists(DebugOutput& out) const {
  if (!out.IsEnabled()) return;
  const struct {
    std::u16string_view header;
    const RuleList* list;
  } lists[] = {
      {dump::kManualHeader, &m_manual},
      {dump::kLinebreakHeader, &m_linebreak},
      {dump::kLinedontbreakHeader, &m_linedontbreak},
      {dump::kPostHeader, &m_post},
      {dump::kPreHeader, &m_pre},
      {dump::kStep1PostHeader, &m_step1_post},
      {dump::kStep1PreHeader, &m_step1_pre},
      {dump::kSynonymsHeader, &m_synonyms},
  };
  for (const auto& l : lists) {
    out.Write(l.header);
    for (const std::u16string& entry : *l.list) {
      out.Write(dump::kRuleEntryPrefix);
      out.Write(entry);
    }
  }
}

}  // namespace vellumtrace
