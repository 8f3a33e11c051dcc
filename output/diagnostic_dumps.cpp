// The article and summary dumps: one debug-output call per fragment.
#include "output/diagnostic_dumps.h"

#include <string>

#include "base/debug_output.h"
#include "output/dump_fragments.h"

namespace vellumtrace {

namespace {

void DumpEntry(DebugOutput& out, const Article& article, TextTable::Id id) {
  out.Write(dump::kEntryWordLabel);
  out.Write(article.EntryWord(id));
  out.Write(dump::kEntryStemLabel);
  out.Write(article.StemText(id));
  out.Write(dump::kEntryCountLabel);
  const std::string digits = std::to_string(article.stemCounts[id]);
  out.Write(std::u16string(digits.begin(), digits.end()));
}

}  // namespace

void DumpArticle(const Article& article, DebugOutput& out) {
  if (!out.IsEnabled()) return;
  out.Write(dump::kArticleHeader);
  for (const SentenceSpan& sentence : article.sentences) {
    out.Write(dump::kSentenceHeader);
    for (size_t w = sentence.firstWord; w < sentence.firstWord + sentence.wordCount; ++w) {
      out.Write(dump::kSentenceWordPrefix);
      out.Write(article.Word(w));
    }
  }
  out.Write(dump::kWordListHeader);
  const auto stems = static_cast<TextTable::Id>(article.StemCount());
  for (TextTable::Id id = 0; id < stems; ++id) DumpEntry(out, article, id);
}

void DumpSummary(const Article& article, const Grading& grading, std::u16string_view result,
                 DebugOutput& out) {
  if (!out.IsEnabled()) return;
  out.Write(dump::kTitleHeader);
  out.Write(grading.title);
  out.Write(dump::kOutputHeader);
  out.Write(result);
  out.Write(dump::kImportantWordsHeader);
  for (const TextTable::Id id : grading.importantWords) DumpEntry(out, article, id);
}

}  // namespace vellumtrace
