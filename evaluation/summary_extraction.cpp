#include "evaluation/summary_extraction.h"

#include "engine/summarizer_engine.h"
#include "grading/selection.h"
#include "output/render.h"

namespace vellumtrace {

namespace {

void Lines(const Article& article, const Selection& selection, std::vector<std::u16string>* lines) {
  lines->clear();
  for (size_t s = 0; s < article.sentences.size(); ++s) {
    if (selection[s] == 0) continue;
    // The plain renderer's words, without the space after the last one.
    std::u16string line;
    AppendSentenceWords(article, s, line);
    line.pop_back();
    lines->push_back(std::move(line));
  }
}

}  // namespace

bool ExtractSummaries(SummarizerEngine& engine, const std::u16string& dictionaryPath,
                      std::u16string_view text, int32_t percent, bool withLead,
                      ExtractedSummaries* summaries) {
  engine.SetDictionaryPath(dictionaryPath);
  const SummaryRun& run = engine.Analyse(std::u16string(text));
  Lines(run.article,
        SelectByPercentage(run.article, run.grading.grades, percent, SelectionOrder::kGraded),
        &summaries->system);
  summaries->lead.clear();
  if (withLead) {
    Lines(run.article,
          SelectByPercentage(run.article, run.grading.grades, percent, SelectionOrder::kLead),
          &summaries->lead);
  }
  return run.dictionaryStatus == DictionaryStatus::kLoaded;
}

}  // namespace vellumtrace
