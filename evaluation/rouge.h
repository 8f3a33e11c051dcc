#ifndef VELLUMTRACE_EVALUATION_ROUGE_H_
#define VELLUMTRACE_EVALUATION_ROUGE_H_

#include <string>
#include <vector>

namespace vellumtrace {

// Precision, recall and their harmonic mean, each in 0..1.
struct RougeScore {
  double precision = 0.0;
  double recall = 0.0;
  double f1 = 0.0;
};

using RougeTokenList = std::vector<std::u16string>;

// ROUGE-N: the n-grams of the summary that also occur in the reference,
// each n-gram counted at most as often as the reference holds it. N-grams
// run across line ends. Zero when either side has no n-gram.
RougeScore RougeN(const RougeTokenList& summary,
                  const RougeTokenList& reference, int n);

// ROUGE-Lsum: for every reference line the union of its longest common
// subsequences with each summary line; the tokens so hit are counted at
// most as often as either side holds them. Recall divides by the
// reference's tokens, precision by the summary's.
RougeScore RougeLsum(const std::vector<RougeTokenList>& summaryLines,
                     const std::vector<RougeTokenList>& referenceLines);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_ROUGE_H_
