#ifndef VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_
#define VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

class SummarizerEngine;

// The summaries of one text, each as the selected sentences in text order,
// one per line, their words joined by one space: the plain-text result,
// split at sentences.
struct ExtractedSummaries {
  // The engine's own choice: best-graded sentences first.
  std::vector<std::u16string> system;
  // The lead baseline: the same analysis, sentences taken in text order.
  // Empty unless asked for.
  std::vector<std::u16string> lead;
};

// Analyses `text` once with the dictionary at `dictionaryPath` and selects
// from that analysis for the system summary and, when `withLead`, the lead.
// Returns false when the dictionary could not be loaded (the run still goes
// on, as the engine's own run does).
bool ExtractSummaries(SummarizerEngine& engine, const std::u16string& dictionaryPath,
                      std::u16string_view text, int32_t percent, bool withLead,
                      ExtractedSummaries* summaries);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_
