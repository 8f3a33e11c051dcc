#include "evaluation/rouge.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
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

using TokenIds = std::vector<uint32_t>;
// Where each token id occurs in a summary line.
using TokenPlaces = std::unordered_map<uint32_t, std::vector<uint32_t>>;

// The rows of the LCS table of `reference` (rows) and `candidate` (columns)
// in bit-parallel form: bit j-1 of row i is 0 exactly where the row's value
// rises at column j, so a row costs a bit per column and a value is a
// popcount. Rows are kept only every `m_block`-th and recomputed a block at
// a time when asked for, from the last block back as a traceback asks:
// about 2*sqrt(rows) rows in memory, every row computed at most twice.
class LcsRows {
 public:
  LcsRows(const TokenIds& reference, const TokenPlaces& places, size_t columns)
      : m_reference(reference),
        m_places(places),
        m_words((columns + 63) / 64),
        m_block(std::max<size_t>(1, static_cast<size_t>(std::sqrt(static_cast<double>(reference.size()))))),
        m_mask(m_words, 0) {
    std::vector<uint64_t> row(m_words, ~uint64_t{0});
    std::vector<uint64_t> next(m_words);
    for (size_t i = 0; i < reference.size(); ++i) {
      if (i % m_block == 0) m_checkpoints.insert(m_checkpoints.end(), row.begin(), row.end());
      Advance(row.data(), next.data(), i);
      row.swap(next);
    }
    m_last = std::move(row);
  }

  const uint64_t* Last() const { return m_last.data(); }

  // Row `i` (< the reference's size); invalidates earlier results when it
  // moves to another block.
  const uint64_t* Row(size_t i) {
    const size_t block = i / m_block;
    if (block != m_loaded) {
      const size_t first = block * m_block;
      const size_t count = std::min(m_block, m_reference.size() - first);
      m_rows.resize(count * m_words);
      std::copy_n(m_checkpoints.begin() + static_cast<std::ptrdiff_t>(block * m_words), m_words,
                  m_rows.begin());
      for (size_t k = 1; k < count; ++k) {
        Advance(&m_rows[(k - 1) * m_words], &m_rows[k * m_words], first + k - 1);
      }
      m_loaded = block;
    }
    return &m_rows[(i - block * m_block) * m_words];
  }

 private:
  // Row i+1 from row i: V' = (V + (V & M)) | (V & ~M), M the columns that
  // hold reference token i.
  void Advance(const uint64_t* row, uint64_t* next, size_t i) {
    const auto found = m_places.find(m_reference[i]);
    if (found == m_places.end()) {
      std::copy_n(row, m_words, next);
      return;
    }
    for (uint32_t column : found->second) m_mask[column >> 6] |= uint64_t{1} << (column & 63);
    uint64_t carry = 0;
    for (size_t w = 0; w < m_words; ++w) {
      const uint64_t v = row[w];
      const uint64_t u = v & m_mask[w];
      const uint64_t sum = v + u;
      const uint64_t total = sum + carry;
      carry = (sum < v) | (total < sum);
      next[w] = total | (v & ~m_mask[w]);
    }
    for (uint32_t column : found->second) m_mask[column >> 6] = 0;
  }

  const TokenIds& m_reference;
  const TokenPlaces& m_places;
  size_t m_words;
  size_t m_block;
  std::vector<uint64_t> m_mask;
  std::vector<uint64_t> m_checkpoints;
  std::vector<uint64_t> m_last;
  std::vector<uint64_t> m_rows;
  size_t m_loaded = static_cast<size_t>(-1);
};

// The table's value at column `j` of a bit-parallel row.
size_t ValueAt(const uint64_t* row, size_t j) {
  size_t ones = 0;
  for (size_t w = 0; w < j / 64; ++w) ones += static_cast<size_t>(std::popcount(row[w]));
  if (j % 64 != 0) {
    ones += static_cast<size_t>(std::popcount(row[j / 64] & ((uint64_t{1} << (j % 64)) - 1)));
  }
  return j - ones;
}

bool RisesAt(const uint64_t* row, size_t j) {  // value(j) - value(j-1) == 1
  return ((row[(j - 1) / 64] >> ((j - 1) % 64)) & 1) == 0;
}

// Indices into `reference` of one longest common subsequence with
// `candidate`. Ties are broken by preferring to drop a reference token,
// which keeps the result repeatable: walking back from the end, a match is
// taken, else the walk goes up while the value above is as large, else
// left.
std::vector<size_t> LcsIndices(const TokenIds& reference, const TokenIds& candidate,
                               const TokenPlaces& candidatePlaces) {
  std::vector<size_t> indices;
  if (reference.empty() || candidate.empty()) return indices;
  LcsRows rows(reference, candidatePlaces, candidate.size());
  size_t i = reference.size();
  size_t j = candidate.size();
  size_t value = ValueAt(rows.Last(), j);
  size_t above = ValueAt(rows.Row(i - 1), j);
  while (i > 0 && j > 0) {
    if (reference[i - 1] == candidate[j - 1]) {
      indices.push_back(i - 1);
      --i;
      --j;
      --value;
      if (i > 0) above = ValueAt(rows.Row(i - 1), j);
    } else if (above == value) {
      --i;
      if (i > 0) above = ValueAt(rows.Row(i - 1), j);
    } else {
      if (RisesAt(rows.Row(i - 1), j)) --above;
      --j;
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
  // Tokens as dense ids: compared and counted as numbers from here on.
  std::unordered_map<std::u16string_view, uint32_t> ids;
  auto toIds = [&ids](const std::vector<RougeTokenList>& lines, size_t* total) {
    std::vector<TokenIds> out;
    *total = 0;
    for (const auto& line : lines) {
      TokenIds& idLine = out.emplace_back();
      for (const auto& token : line) {
        idLine.push_back(ids.try_emplace(token, static_cast<uint32_t>(ids.size())).first->second);
      }
      *total += line.size();
    }
    return out;
  };
  size_t summaryTotal = 0;
  size_t referenceTotal = 0;
  const std::vector<TokenIds> summary = toIds(summaryLines, &summaryTotal);
  const std::vector<TokenIds> reference = toIds(referenceLines, &referenceTotal);
  if (summaryTotal == 0 || referenceTotal == 0) return RougeScore{};

  std::vector<size_t> summaryLeft(ids.size(), 0);
  std::vector<size_t> referenceLeft(ids.size(), 0);
  std::vector<TokenPlaces> summaryPlaces(summary.size());
  for (size_t line = 0; line < summary.size(); ++line) {
    for (size_t k = 0; k < summary[line].size(); ++k) {
      ++summaryLeft[summary[line][k]];
      summaryPlaces[line][summary[line][k]].push_back(static_cast<uint32_t>(k));
    }
  }
  for (const auto& line : reference) {
    for (uint32_t id : line) ++referenceLeft[id];
  }

  size_t hits = 0;
  for (const auto& referenceLine : reference) {
    std::set<size_t> hitIndices;
    for (size_t line = 0; line < summary.size(); ++line) {
      for (size_t index : LcsIndices(referenceLine, summary[line], summaryPlaces[line])) {
        hitIndices.insert(index);
      }
    }
    // Clipping: a token that the union hits more often than either side
    // holds it counts only as often as it is still available.
    for (size_t index : hitIndices) {
      const uint32_t token = referenceLine[index];
      if (summaryLeft[token] > 0 && referenceLeft[token] > 0) {
        ++hits;
        --summaryLeft[token];
        --referenceLeft[token];
      }
    }
  }
  return MakeScore(static_cast<double>(hits),
                   static_cast<double>(summaryTotal),
                   static_cast<double>(referenceTotal));
}

}  // namespace vellumtrace
