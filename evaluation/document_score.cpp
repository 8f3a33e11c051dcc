#include "evaluation/document_score.h"

#include "evaluation/rouge_tokenizer.h"

namespace vellumtrace {
namespace {

void Accumulate(RougeScore& sum, const RougeScore& score) {
  sum.precision += score.precision;
  sum.recall += score.recall;
  sum.f1 += score.f1;
}

RougeScore Divide(const RougeScore& sum, double count) {
  return RougeScore{sum.precision / count, sum.recall / count,
                    sum.f1 / count};
}

}  // namespace

DocumentScore ScoreDocument(const std::vector<std::u16string>& summaryLines,
                            const std::vector<std::u16string>& referenceLines) {
  std::vector<RougeTokenList> summary;
  std::vector<RougeTokenList> reference;
  RougeTokenList summaryStream;
  RougeTokenList referenceStream;
  for (const auto& line : summaryLines) {
    summary.push_back(RougeTokens(line));
    summaryStream.insert(summaryStream.end(), summary.back().begin(),
                         summary.back().end());
  }
  for (const auto& line : referenceLines) {
    reference.push_back(RougeTokens(line));
    referenceStream.insert(referenceStream.end(), reference.back().begin(),
                           reference.back().end());
  }
  DocumentScore score;
  score.rouge1 = RougeN(summaryStream, referenceStream, 1);
  score.rouge2 = RougeN(summaryStream, referenceStream, 2);
  score.rougeLsum = RougeLsum(summary, reference);
  return score;
}

void ScoreAverage::Add(const DocumentScore& score) {
  Accumulate(m_sum.rouge1, score.rouge1);
  Accumulate(m_sum.rouge2, score.rouge2);
  Accumulate(m_sum.rougeLsum, score.rougeLsum);
  ++m_count;
}

DocumentScore ScoreAverage::Mean() const {
  if (m_count == 0) return DocumentScore{};
  const double count = static_cast<double>(m_count);
  return DocumentScore{Divide(m_sum.rouge1, count),
                       Divide(m_sum.rouge2, count),
                       Divide(m_sum.rougeLsum, count)};
}

}  // namespace vellumtrace
