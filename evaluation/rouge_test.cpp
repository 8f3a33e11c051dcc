#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "evaluation/document_score.h"
#include "evaluation/rouge.h"
#include "evaluation/rouge_tokenizer.h"
#include "text/utf_codec.h"

namespace vellumtrace {
namespace {

RougeTokenList Words(const std::u16string& text) { return RougeTokens(text); }

std::vector<RougeTokenList> Lines(const std::vector<std::u16string>& lines) {
  std::vector<RougeTokenList> result;
  for (const auto& line : lines) result.push_back(RougeTokens(line));
  return result;
}

std::string Narrow(const std::u16string& text) { return EncodeUtf8(text); }

TEST(RougeTokensTest, KeepsLettersAndDigitsOfEveryScriptLowerCased) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> tokens;
  };
  const std::vector<Case> cases = {
      {u"", {}},
      {u" \t\n.,;", {}},
      // The apostrophe and the dash separate, as any punctuation does.
      {u"The cat's 2 HATS\u2014bought", {u"the", u"cat", u"s", u"2", u"hats",
                                          u"bought"}},
      {u"3.5%", {u"3", u"5"}},
      {u"STRA\u00DFE \u00C9COLE \u00DCber", {u"stra\u00DFe", u"\u00E9cole",
                                            u"\u00FCber"}},
      // A decomposed accent stays inside its word.
      {u"Cafe\u0301!", {u"cafe\u0301"}},
      {u"\u041C\u043E\u0441\u043A\u0432\u0430, \u6771\u4EAC3",
       {u"\u043C\u043E\u0441\u043A\u0432\u0430", u"\u6771\u4EAC3"}},
      // A letter outside the BMP (DESERET CAPITAL LONG I) lower-cases to
      // its pair; a lone surrogate splits.
      {u"\U00010400x", {u"\U00010428x"}},
      {u"ab\xD800" u"cd", {u"ab", u"cd"}},
      // The no-break space is no letter.
      {u"a\u00A0b", {u"a", u"b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RougeTokens(c.text), c.tokens) << "text: " << Narrow(c.text);
  }
}

TEST(RougeNTest, HandComputedCases) {
  struct Case {
    std::u16string summary;
    std::u16string reference;
    int n;
    double precision;
    double recall;
    double f1;
  };
  const std::vector<Case> cases = {
      // Unigrams: summary the*2 cat sat on mat (6), reference the*3 cat lay
      // on mat end (8); common: the 2, cat, on, mat = 5. P 5/6, R 5/8,
      // F = 2*5/(6+8) = 5/7.
      {u"the cat sat on the mat", u"the cat lay on the mat the end", 1,
       5.0 / 6, 5.0 / 8, 5.0 / 7},
      // Bigrams of the same pair: 5 and 7; common: "the cat", "on the",
      // "the mat" = 3. P 3/5, R 3/7, F 6/12.
      {u"the cat sat on the mat", u"the cat lay on the mat the end", 2,
       3.0 / 5, 3.0 / 7, 0.5},
      // Clipping: "the" three times against once counts once. P 1/3, R 1/2,
      // F 2/5.
      {u"the the the", u"the cat", 1, 1.0 / 3, 1.0 / 2, 0.4},
      // Case and punctuation do not matter.
      {u"\"The CAT.\"", u"the cat", 2, 1.0, 1.0, 1.0},
      // Nothing in common; and a side without a bigram scores zero.
      {u"dogs bark", u"cats sleep", 1, 0.0, 0.0, 0.0},
      {u"word", u"word", 2, 0.0, 0.0, 0.0},
      {u"", u"a b", 1, 0.0, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    const RougeScore score = RougeN(Words(c.summary), Words(c.reference), c.n);
    const std::string where = "summary '" + Narrow(c.summary) +
                              "' reference '" + Narrow(c.reference) +
                              "' n=" + std::to_string(c.n);
    EXPECT_NEAR(score.precision, c.precision, 1e-12) << where;
    EXPECT_NEAR(score.recall, c.recall, 1e-12) << where;
    EXPECT_NEAR(score.f1, c.f1, 1e-12) << where;
  }
}

TEST(RougeLsumTest, HandComputedCases) {
  struct Case {
    std::string name;
    std::vector<std::u16string> summary;
    std::vector<std::u16string> reference;
    double precision;
    double recall;
    double f1;
  };
  const std::vector<Case> cases = {
      // Reference line a b c d e; LCS with "a b f g h" is a b, with
      // "a c h i e" it is a c e; union a b c e = 4 hits. P 4/10, R 4/5,
      // F = 2*.4*.8/1.2 = 8/15.
      {"union of two LCS", {u"a b f g h", u"a c h i e"}, {u"a b c d e"},
       4.0 / 10, 4.0 / 5, 8.0 / 15},
      // Each reference line finds "a b", but the summary holds a and b once:
      // the second line's hits are clipped. Hits 2; P 2/2, R 2/4, F 2/3.
      {"hits clipped by the summary", {u"a b"}, {u"a b", u"a b"}, 1.0, 0.5,
       2.0 / 3},
      // Order matters within a line: "b a" against "a b" has an LCS of 1.
      // P 1/2, R 1/2.
      {"order within a line", {u"b a"}, {u"a b"}, 0.5, 0.5, 0.5},
      // Order of lines does not: reordered sentences score fully.
      {"lines reordered", {u"c d.", u"a b."}, {u"a b.", u"c d."}, 1.0, 1.0,
       1.0},
      // The same words on one line lose the order across the lines:
      // "c d a b" against line "a b" and line "c d" still hits all four.
      {"one summary line", {u"c d a b"}, {u"a b", u"c d"}, 1.0, 1.0, 1.0},
      {"empty summary", {}, {u"a b"}, 0.0, 0.0, 0.0},
      {"summary of punctuation only", {u"... !"}, {u"a b"}, 0.0, 0.0, 0.0},
  };
  for (const auto& c : cases) {
    const RougeScore score = RougeLsum(Lines(c.summary), Lines(c.reference));
    EXPECT_NEAR(score.precision, c.precision, 1e-12) << c.name;
    EXPECT_NEAR(score.recall, c.recall, 1e-12) << c.name;
    EXPECT_NEAR(score.f1, c.f1, 1e-12) << c.name;
  }
}

TEST(ScoreAverageTest, AveragesEachDocumentAlikeAndEachFigureOnItsOwn) {
  ScoreAverage average;
  EXPECT_EQ(average.Mean().rouge1.f1, 0.0);
  // Document 1: a perfect summary. Document 2: summary "x y z w" against
  // reference "x": ROUGE-1 P 1/4, R 1, F 2/5; no bigram in the reference.
  average.Add(ScoreDocument({u"a b c"}, {u"a b c"}));
  average.Add(ScoreDocument({u"x y", u"z w"}, {u"x"}));
  const DocumentScore mean = average.Mean();
  EXPECT_EQ(average.Count(), 2u);
  // (1 + 1/4) / 2, (1 + 1) / 2, (1 + 2/5) / 2: F is not recomputed from the
  // averaged P and R (that would give 0.769...).
  EXPECT_NEAR(mean.rouge1.precision, 0.625, 1e-12);
  EXPECT_NEAR(mean.rouge1.recall, 1.0, 1e-12);
  EXPECT_NEAR(mean.rouge1.f1, 0.7, 1e-12);
  EXPECT_NEAR(mean.rouge2.f1, 0.5, 1e-12);
  // Lsum of document 2: reference line "x" hits x once; P 1/4, R 1.
  EXPECT_NEAR(mean.rougeLsum.precision, 0.625, 1e-12);
}

TEST(ScoreDocumentTest, BigramsRunAcrossSummaryLines) {
  // Lines "a b" and "c d" make the stream a b c d, whose bigram "b c"
  // matches the reference's: 3 of 3 bigrams.
  const DocumentScore score = ScoreDocument({u"a b", u"c d"}, {u"a b c d"});
  EXPECT_NEAR(score.rouge2.precision, 1.0, 1e-12);
  EXPECT_NEAR(score.rouge2.recall, 1.0, 1e-12);
}

}  // namespace
}  // namespace vellumtrace

namespace vellumtrace {
namespace {

// The plain full-table algorithm, the tie rule written out once more: the
// scorer must hit the very same reference tokens, not just as many.
double ReferenceLsumHits(const std::vector<RougeTokenList>& summary,
                         const std::vector<RougeTokenList>& reference) {
  std::map<std::u16string, size_t> summaryLeft, referenceLeft;
  for (const auto& line : summary) for (const auto& t : line) ++summaryLeft[t];
  for (const auto& line : reference) for (const auto& t : line) ++referenceLeft[t];
  double hits = 0;
  for (const auto& r : reference) {
    std::set<size_t> hit;
    for (const auto& c : summary) {
      std::vector<std::vector<size_t>> t(r.size() + 1, std::vector<size_t>(c.size() + 1));
      for (size_t i = 1; i <= r.size(); ++i)
        for (size_t j = 1; j <= c.size(); ++j)
          t[i][j] = r[i - 1] == c[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
      for (size_t i = r.size(), j = c.size(); i > 0 && j > 0;) {
        if (r[i - 1] == c[j - 1]) hit.insert(--i), --j;
        else if (t[i][j - 1] > t[i - 1][j]) --j;
        else --i;
      }
    }
    for (size_t i : hit) {
      if (summaryLeft[r[i]] > 0 && referenceLeft[r[i]] > 0) ++hits, --summaryLeft[r[i]], --referenceLeft[r[i]];
    }
  }
  return hits;
}

TEST(RougeLsumTest, LongLinesHitWhatTheFullTableHits) {
  std::mt19937 random(20261208);
  auto lines = [&random](size_t count, size_t vocabulary, size_t longest) {
    std::vector<RougeTokenList> out(count);
    for (auto& line : out) {
      line.resize(random() % (longest + 1));
      for (auto& token : line) token = std::u16string(1, static_cast<char16_t>(u'a' + random() % vocabulary));
    }
    return out;
  };
  // Small vocabularies make ties everywhere; lengths cross 64-bit words and
  // the row blocks.
  for (int round = 0; round < 300; ++round) {
    const size_t vocabulary = 2 + static_cast<size_t>(round % 5);
    const size_t longest = round % 3 == 0 ? 300 : 70;
    const auto summary = lines(1 + random() % 3, vocabulary, longest);
    const auto reference = lines(1 + random() % 3, vocabulary, longest);
    size_t summaryTotal = 0, referenceTotal = 0;
    for (const auto& line : summary) summaryTotal += line.size();
    for (const auto& line : reference) referenceTotal += line.size();
    const RougeScore score = RougeLsum(summary, reference);
    if (summaryTotal == 0 || referenceTotal == 0) {
      EXPECT_EQ(score.recall, 0.0);
      continue;
    }
    const double hits = ReferenceLsumHits(summary, reference);
    EXPECT_EQ(score.precision, hits / static_cast<double>(summaryTotal)) << "round " << round;
    EXPECT_EQ(score.recall, hits / static_cast<double>(referenceTotal)) << "round " << round;
  }
}

}  // namespace
}  // namespace vellumtrace
