#include "evaluation/rouge.h"

#include <algorithm>
#include <cstddef>
#include <set>
#include <unordered_map>

namespace vellumtrace {
namespace {

RougeScore MakeScore(double hits, double summaryTotal, double referenceTotal) {
  RougeScore score;
  if (summaryTotal <= 0.0 || referenceTotal <= 0.0) return score;
  score.precision = hits / summaryTotal;
  score.recall = hits / referenceTotal;
  if (score.precision + score.recall > 0.0) {
    score.f1 = 2.0 * score.precision * score.recall /
               (score.precision + score.recall);
  }
  return score;
}

// Tokens never hold a space, so a space-joined key is unambiguous.
std::unordered_map<std::u16string, size_t> CountNGrams(
    const RougeTokenList& tokens, size_t n, size_t* total) {
  std::unordered_map<std::u16string, size_t> counts;
  *total = 0;
  if (n == 0 || tokens.size() < n) return counts;
  for (size_t start = 0; start + n <= tokens.size(); ++start) {
    std::u16string key = tokens[start];
    for (size_t k = 1; k < n; ++k) {
      key += u' ';
      key += tokens[start + k];
    }
    ++counts[key];
    ++*total;
  }
  return counts;
}

// Indices into `reference` of one longest common subsequence with
// `candidate`. Ties are broken by preferring to drop a reference token,
// which keeps the result repeatable.
std::vector<size_t> LcsIndices(const RougeTokenList& reference,
                               const RougeTokenList& candidate) {
  const size_t rows = reference.size();
  const size_t cols = candidate.size();
  std::vector<size_t> table((rows + 1) * (cols + 1), 0);
  auto at = [cols](size_t i, size_t j) { return i * (cols + 1) + j; };
  for (size_t i = 1; i <= rows; ++i) {
    for (size_t j = 1; j <= cols; ++j) {
      if (reference[i - 1] == candidate[j - 1]) {
        table[at(i, j)] = table[at(i - 1, j - 1)] + 1;
      } else {
        table[at(i, j)] =
            std::max(table[at(i - 1, j)], table[at(i, j - 1)]);
      }
    }
  }
  std::vector<size_t> indices;
  size_t i = rows;
  size_t j = cols;
  while (i > 0 && j > 0) {
    if (reference[i - 1] == candidate[j - 1]) {
      indices.push_back(i - 1);
      --i;
      --j;
    } else if (table[at(i, j - 1)] > table[at(i - 1, j)]) {
      --j;
    } else {
      --i;
    }
  }
  return indices;
}

}  // namespace

RougeScore RougeN(const RougeTokenList& summary,
                  const RougeTokenList& reference, int n) {
  if (n < 1) return RougeScore{};
  size_t summaryTotal = 0;
  size_t referenceTotal = 0;
  const auto summaryCounts =
      CountNGrams(summary, static_cast<size_t>(n), &summaryTotal);
  const auto referenceCounts =
      CountNGrams(reference, static_cast<size_t>(n), &referenceTotal);
  size_t hits = 0;
  for (const auto& [gram, count] : summaryCounts) {
    const auto found = referenceCounts.find(gram);
    if (found != referenceCounts.end()) hits += std::min(count, found->second);
  }
  return MakeScore(static_cast<double>(hits),
                   static_cast<double>(summaryTotal),
                   static_cast<double>(referenceTotal));
}

RougeScore RougeLsum(const std::vector<RougeTokenList>& summaryLines,
                     const std::vector<RougeTokenList>& referenceLines) {
  std::unordered_map<std::u16string, size_t> summaryLeft;
  std::unordered_map<std::u16string, size_t> referenceLeft;
  size_t summaryTotal = 0;
  size_t referenceTotal = 0;
  for (const auto& line : summaryLines) {
    for (const auto& token : line) ++summaryLeft[token];
    summaryTotal += line.size();
  }
  for (const auto& line : referenceLines) {
    for (const auto& token : line) ++referenceLeft[token];
    referenceTotal += line.size();
  }
  if (summaryTotal == 0 || referenceTotal == 0) return RougeScore{};

  size_t hits = 0;
  for (const auto& referenceLine : referenceLines) {
    std::set<size_t> hitIndices;
    for (const auto& summaryLine : summaryLines) {
      for (size_t index : LcsIndices(referenceLine, summaryLine)) {
        hitIndices.insert(index);
      }
    }
    // Clipping: a token that the union hits more often than either side
    // holds it counts only as often as it is still available.
    for (size_t index : hitIndices) {
      const std::u16string& token = referenceLine[index];
      size_t& inSummary = summaryLeft[token];
      size_t& inReference = referenceLeft[token];
      if (inSummary > 0 && inReference > 0) {
        ++hits;
        --inSummary;
        --inReference;
      }
    }
  }
  return MakeScore(static_cast<double>(hits),
                   static_cast<double>(summaryTotal),
                   static_cast<double>(referenceTotal));
}

}  // namespace vellumtrace
