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
                             int32_t percent, SelectionOrder order);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_GRADING_SELECTION_H_
