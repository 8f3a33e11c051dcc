#include "evaluation/evaluation_run.h"

#include "evaluation/reference_length.h"
#include "evaluation/summary_extraction.h"

namespace vellumtrace {

std::vector<std::u16string> ReferenceLines(std::u16string_view reference) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= reference.size()) {
    size_t end = reference.find(u'\n', start);
    if (end == std::u16string_view::npos) end = reference.size();
    std::u16string_view line = reference.substr(start, end - start);
    if (line.ends_with(u'\r')) line.remove_suffix(1);
    // A final line end opens no further line.
    if (!(end == reference.size() && line.empty() && start > 0)) {
      lines.emplace_back(line);
    }
    start = end + 1;
  }
  return lines;
}

EvaluationResult RunEvaluation(SummarizerEngine& engine,
                               const std::vector<EvaluationDocument>& documents,
                               const EvaluationSettings& settings,
                               const EvaluationProgress& progress) {
  EvaluationResult result;
  ScoreAverage system;
  ScoreAverage lead;
  ExtractedSummaries summaries;
  for (const EvaluationDocument& document : documents) {
    DocumentEvaluation evaluation;
    evaluation.name = document.name;
    evaluation.percent =
        settings.lengthFromReference
            ? ReferencePercent(document.text, document.reference)
            : settings.percent;
    const std::vector<std::u16string> reference =
        ReferenceLines(document.reference);
    if (!ExtractSummaries(engine, settings.dictionaryPath, document.text, evaluation.percent,
                          settings.withLead, &summaries)) {
      result.dictionaryFailed = true;
    }
    evaluation.system = ScoreDocument(summaries.system, reference);
    system.Add(evaluation.system);
    if (settings.withLead) {
      evaluation.lead = ScoreDocument(summaries.lead, reference);
      lead.Add(evaluation.lead);
    }
    result.documents.push_back(std::move(evaluation));
    if (progress) progress(result.documents.size(), documents.size());
  }
  result.system = system.Mean();
  result.lead = lead.Mean();
  return result;
}

}  // namespace vellumtrace
