#ifndef VELLUMTRACE_EVALUATION_EVALUATION_RUN_H_
#define VELLUMTRACE_EVALUATION_EVALUATION_RUN_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "evaluation/document_score.h"

namespace vellumtrace {

class SummarizerEngine;

// One document and its reference summary (one sentence per line).
struct EvaluationDocument {
  std::string name;
  std::u16string text;
  std::u16string reference;
};

struct EvaluationSettings {
  std::u16string dictionaryPath;
  // Used unless lengthFromReference is set.
  int32_t percent = 20;
  // Each document gets the percent its reference is of it, in words.
  bool lengthFromReference = false;
  // Also scores the lead baseline at the same length.
  bool withLead = false;
};

struct DocumentEvaluation {
  std::string name;
  int32_t percent = 0;
  DocumentScore system;
  // All zero unless the lead baseline was asked for.
  DocumentScore lead;
};

struct EvaluationResult {
  std::vector<DocumentEvaluation> documents;
  // Macro averages over the documents.
  DocumentScore system;
  DocumentScore lead;
  // True when some run could not load the dictionary.
  bool dictionaryFailed = false;
};

// Called after each document with the number done and the total.
using EvaluationProgress = std::function<void(size_t done, size_t total)>;

// Summarises every document with `engine` and scores it against its
// reference, in the order given.
EvaluationResult RunEvaluation(SummarizerEngine& engine,
                               const std::vector<EvaluationDocument>& documents,
                               const EvaluationSettings& settings,
                               const EvaluationProgress& progress);

// The lines of a reference text; CR before LF is dropped, and lines
// without any token still count as lines (they score nothing).
std::vector<std::u16string> ReferenceLines(std::u16string_view reference);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_EVALUATION_RUN_H_
