// Selection: sentences in their order until they hold the requested share
// of the words.
#include "grading/selection.h"

#include <algorithm>
#include <numeric>

namespace vellumtrace {

namespace {

// Sentence indexes, best grade first, ties in text order: the order of
// repeated picks of the best sentence left, since grades never change
// during selection.
std::vector<size_t> GradedOrder(const std::vector<int64_t>& grades, size_t count) {
  std::vector<size_t> sequence(count);
  std::iota(sequence.begin(), sequence.end(), size_t{0});
  std::stable_sort(sequence.begin(), sequence.end(),
                   [&grades](size_t a, size_t b) { return grades[a] > grades[b]; });
  return sequence;
}

}  // namespace

Selection SelectBestSentences(const Article& article, const std::vector<int64_t>& grades,
                              size_t count) {
  const size_t sentences = article.sentences.size();
  Selection selected(sentences, 0);
  size_t taken = 0;
  for (const size_t sentence : GradedOrder(grades, sentences)) {
    if (taken == count) break;
    // The last sentence ends with the synthetic word, which is no word of
    // the text.
    const size_t synthetic = sentence + 1 == sentences ? 1 : 0;
    if (article.sentences[sentence].wordCount <= synthetic) continue;
    selected[sentence] = 1;
    ++taken;
  }
  return selected;
}

Selection Select(const Article& article, const std::vector<int64_t>& grades,
                 const SelectionRule& rule) {
  if (rule.sentences != 0) return SelectBestSentences(article, grades, rule.sentences);
  return SelectByPercentage(article, grades, rule.percent, SelectionOrder::kGraded);
}

Selection SelectByPercentage(const Article& article, const std::vector<int64_t>& grades,
                             double percent, SelectionOrder order) {
  const size_t count = article.sentences.size();
  Selection selected(count, 0);
  // Not-a-number keeps nothing, like 0.
  const double p = percent > 100 ? 100 : (percent >= 0 ? percent : 0);
  int64_t total = 0;
  for (const SentenceSpan& sentence : article.sentences) {
    total += static_cast<int64_t>(sentence.wordCount);
  }
  const double ratio = p / 100.0;
  if (!(static_cast<double>(total) * ratio > 0.0)) return selected;

  std::vector<size_t> sequence;
  if (order == SelectionOrder::kGraded) {
    sequence = GradedOrder(grades, count);
  } else {
    sequence.resize(count);
    std::iota(sequence.begin(), sequence.end(), size_t{0});
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
