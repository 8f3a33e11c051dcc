#ifndef VELLUMTRACE_GRADING_RANK_WEIGHT_H_
#define VELLUMTRACE_GRADING_RANK_WEIGHT_H_

#include <cstdint>

namespace vellumtrace {

// Weight of an important word by its 1-based rank: 3 for the most
// frequent, 2 for ranks 2 to 4, 1 beyond.
constexpr int32_t RankWeight(int64_t rank) {
  if (rank == 1) return 3;
  if (rank <= 4) return 2;
  return 1;
}

// Number of important words that make the title.
inline constexpr size_t kTitleWords = 5;

}  // namespace vellumtrace

#endif  // VELLUMTRACE_GRADING_RANK_WEIGHT_H_
