// The article and summary dumps: one debug-output call per fragment.
#include <string>

#include "engine/debug_output.h"
#include "engine/summarizer_engine.h"
#include "output/dump_fragments.h"

namespace vellumtrace {

namespace {

void DumpEntry(DebugOutput& out, const WordEntry& entry) {
  out.Write(dump::kEntryWordLabel);
  out.Write(entry.word);
  out.Write(dump::kEntryStemLabel);
  out.Write(entry.stem);
  out.Write(dump::kEntryCountLabel);
  const std::string digits = std::to_string(entry.count);
  out.Write(std::u16string(digits.begin(), digits.end()));
}

}  // namespace

void Sentence::DumpSentence(DebugOutput& out) const {
  out.Write(dump::kSentenceHeader);
  for (const auto& word : words) {
    out.Write(dump::kSentenceWordPrefix);
    out.Write(word->word);
  }
}

void SummarizerEngine::DumpArticle() {
  DebugOutput& out = Debug();
  if (!out.IsEnabled()) return;
  out.Write(dump::kArticleHeader);
  for (const auto& sentence : m_sentences) sentence->DumpSentence(out);
  out.Write(dump::kWordListHeader);
  for (const auto& entry : m_wordList) DumpEntry(out, *entry);
}

void SummarizerEngine::DumpSummary() {
  DebugOutput& out = Debug();
  if (!out.IsEnabled()) return;
  out.Write(dump::kTitleHeader);
  out.Write(m_title);
  out.Write(dump::kOutputHeader);
  out.Write(m_output);
  out.Write(dump::kImportantWordsHeader);
  for (const auto& entry : m_importantWords) DumpEntry(out, *entry);
}

}  // namespace vellumtrace
