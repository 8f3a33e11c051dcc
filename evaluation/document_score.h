#ifndef VELLUMTRACE_EVALUATION_DOCUMENT_SCORE_H_
#define VELLUMTRACE_EVALUATION_DOCUMENT_SCORE_H_

#include <cstddef>
#include <string>
#include <vector>

#include "evaluation/rouge.h"

namespace vellumtrace {

// The three figures reported for one summary.
struct DocumentScore {
  RougeScore rouge1;
  RougeScore rouge2;
  RougeScore rougeLsum;
};

// Scores a summary against its reference, both given as lines (for a
// summary: one sentence per line). ROUGE-1 and -2 see each side as one
// token stream; ROUGE-Lsum sees the lines.
DocumentScore ScoreDocument(const std::vector<std::u16string>& summaryLines,
                            const std::vector<std::u16string>& referenceLines);

// The macro average: each document weighs the same, and each of precision,
// recall and F1 is averaged on its own.
class ScoreAverage {
 public:
  void Add(const DocumentScore& score);
  size_t Count() const { return m_count; }
  // All zero while nothing has been added.
  DocumentScore Mean() const;

 private:
  DocumentScore m_sum;
  size_t m_count = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_DOCUMENT_SCORE_H_
