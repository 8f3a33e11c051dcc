// The rule-list dump: a header line per list, then one line per entry.
#include "base/debug_output.h"
#include "dictionary/language_dictionary.h"
#include "output/diagnostic_dumps.h"
#include "output/dump_fragments.h"

namespace vellumtrace {

void DumpRuleLists(const LanguageDictionary& dictionary, DebugOutput& out) {
  if (!out.IsEnabled()) return;
  const struct {
    std::u16string_view header;
    const RuleList* list;
  } lists[] = {
      {dump::kManualHeader, &dictionary.m_manual},
      {dump::kLinebreakHeader, &dictionary.m_linebreak},
      {dump::kLinedontbreakHeader, &dictionary.m_linedontbreak},
      {dump::kPostHeader, &dictionary.m_post},
      {dump::kPreHeader, &dictionary.m_pre},
      {dump::kStep1PostHeader, &dictionary.m_step1_post},
      {dump::kStep1PreHeader, &dictionary.m_step1_pre},
      {dump::kSynonymsHeader, &dictionary.m_synonyms},
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
