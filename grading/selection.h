#ifndef VELLUMTRACE_GRADING_SELECTION_H_
#define VELLUMTRACE_GRADING_SELECTION_H_

#include <cstdint>
#include <vector>

#include "analysis/article.h"

namespace vellumtrace {

// The order in which sentences are taken.
enum class SelectionOrder {
  kGraded,  // best grade first, ties in text order
  kLead,    // text order (the lead baseline: as if every grade were zero)
};

// By sentence: 1 when chosen for the summary, 0 otherwise.
using Selection = std::vector<uint8_t>;

// Takes sentences in `order` until they hold the requested share of the
// words (`percent` clamped to 0..100). `grades` is by sentence.
Selection SelectByPercentage(const Article& article, const std::vector<int64_t>& grades,
                             double percent, SelectionOrder order);

// Takes the `count` best graded sentences (ties in text order) that hold a
// word of the text: a sentence of no words, or of the closing synthetic
// word alone, is never taken.
Selection SelectBestSentences(const Article& article, const std::vector<int64_t>& grades,
                              size_t count);

// How a run chooses its sentences: `sentences` when not 0, else `percent`.
struct SelectionRule {
  double percent = 20;
  size_t sentences = 0;
};
Selection Select(const Article& article, const std::vector<int64_t>& grades,
                 const SelectionRule& rule);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_GRADING_SELECTION_H_
