#ifndef VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_
#define VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

class SummarizerEngine;

enum class SummaryMethod {
  // The engine's own choice: best-graded sentences first.
  kGraded,
  // The lead baseline: the same stages, but every grade is zeroed before
  // selection, so sentences are taken in text order.
  kLead,
};

// Runs the engine's stages on `text` with the dictionary at `dictionaryPath`
// and returns the selected sentences in text order, one per line, their
// words joined by one space: the plain-text result, split at sentences.
// Returns false when the dictionary could not be loaded (the run still
// goes on, as the engine's own run does).
bool ExtractSummary(SummarizerEngine& engine,
                    const std::u16string& dictionaryPath,
                    std::u16string_view text, int32_t percent,
                    SummaryMethod method, std::vector<std::u16string>* lines);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_SUMMARY_EXTRACTION_H_
