#include "evaluation/summary_extraction.h"

#include "engine/summarizer_engine.h"

namespace vellumtrace {

bool ExtractSummary(SummarizerEngine& engine,
                    const std::u16string& dictionaryPath,
                    std::u16string_view text, int32_t percent,
                    SummaryMethod method, std::vector<std::u16string>* lines) {
  // The order of RunSummary, without the dumps and the rendering.
  engine.ResetRun();
  engine.SetText(std::u16string(text));
  const bool loaded = engine.LoadDictionary(dictionaryPath) != 0;
  engine.SplitText();
  engine.Grade();
  if (method == SummaryMethod::kLead) {
    for (auto& sentence : engine.m_sentences) sentence->grade = 0;
  }
  engine.SelectByPercentage(percent);

  lines->clear();
  for (const auto& sentence : engine.m_sentences) {
    if (sentence->selected == 0) continue;
    std::u16string line;
    for (const auto& word : sentence->words) {
      if (!line.empty()) line += u' ';
      line += word->word;
    }
    lines->push_back(std::move(line));
  }
  return loaded;
}

}  // namespace vellumtrace
