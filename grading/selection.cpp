// Selection: sentences in their order until they hold the requested share
// of the words.
#include "grading/selection.h"

#include <algorithm>
#include <numeric>

namespace vellumtrace {

Selection SelectByPercentage(const Article& article, const std::vector<int64_t>& grades,
                             int32_t percent, SelectionOrder order) {
  const size_t count = article.sentences.size();
  Selection selected(count, 0);
  const int32_t p = percent > 100 ? 100 : (percent < 0 ? 0 : percent);
  int64_t total = 0;
  for (const SentenceSpan& sentence : article.sentences) {
    total += static_cast<int64_t>(sentence.wordCount);
  }
  const double ratio = p / 100.0;
  if (!(static_cast<double>(total) * ratio > 0.0)) return selected;

  // One stable sort gives the order of repeated picks of the best sentence
  // left, since grades never change during selection.
  std::vector<size_t> sequence(count);
  std::iota(sequence.begin(), sequence.end(), size_t{0});
  if (order == SelectionOrder::kGraded) {
    std::stable_sort(sequence.begin(), sequence.end(),
                     [&grades](size_t a, size_t b) { return grades[a] > grades[b]; });
  }
  int64_t covered = 0;
  for (size_t next = 0; next < count && static_cast<double>(total) * ratio >
                                            static_cast<double>(covered);
       ++next) {
    const size_t sentence = sequence[next];
    selected[sentence] = 1;
    covered += static_cast<int64_t>(article.sentences[sentence].wordCount);
  }
  return selected;
}

}  // namespace vellumtrace
