// Ranking, sentence grades, title and selection on hand-made articles.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "analysis/article.h"
#include "dictionary/compiled_dictionary.h"
#include "grading/grading.h"
#include "grading/rank_weight.h"
#include "grading/selection.h"

namespace vellumtrace {
namespace {

struct Graded {
  Article article;
  Grading grading;
};

// The article and grading of `text`, with "." ending sentences.
std::unique_ptr<Graded> Grade(std::u16string text, RuleList graderTerms) {
  LanguageDictionary lists;
  lists.m_linebreak = {u"."};
  lists.m_grader_tc = std::move(graderTerms);
  const CompiledDictionary dictionary(std::move(lists));
  auto graded = std::make_unique<Graded>();
  graded->article.text = std::move(text);
  AnalyseText(graded->article, dictionary);
  GradeArticle(graded->article, graded->grading);
  return graded;
}

std::vector<std::pair<std::u16string, int64_t>> Ranked(const Graded& g) {
  std::vector<std::pair<std::u16string, int64_t>> ranked;
  for (const TextTable::Id id : g.grading.importantWords) {
    ranked.emplace_back(g.article.StemText(id), g.article.stemCounts[id]);
  }
  return ranked;
}

TEST(Grading, RankWeights) {
  EXPECT_EQ(RankWeight(1), 3);
  EXPECT_EQ(RankWeight(2), 2);
  EXPECT_EQ(RankWeight(4), 2);
  EXPECT_EQ(RankWeight(5), 1);
  EXPECT_EQ(RankWeight(9), 1);
}

TEST(Grading, WorkedExampleGivesSeventeen) {
  // Counts r1 5, r2 4, r3 4, r4 2, r5 2, r6 1; r2 ranks 2nd (weight 2) and
  // r6 6th (weight 1): 2*4 twice, plus 1*1.
  const auto g = Grade(u"r2 r6 r2 nothing. r1 r1 r1 r1 r1 r2 r2 r3 r3 r3 r3 r4 r4 r5 r5",
                       {u"nothing.", u" "});
  EXPECT_EQ(Ranked(*g), (std::vector<std::pair<std::u16string, int64_t>>{
                            {u"r1", 5}, {u"r2", 4}, {u"r3", 4}, {u"r4", 2}, {u"r5", 2}, {u"r6", 1}}));
  ASSERT_EQ(g->grading.grades.size(), 2u);
  EXPECT_EQ(g->grading.grades[0], 17);
  EXPECT_EQ(g->grading.grades[1], 5 * 3 * 5 + 2 * 4 * 2 + 2 * 4 * 4 + 2 * 2 * 2 + 1 * 2 * 2);
  const auto none = Grade(u"none", {u"none", u" "});
  EXPECT_EQ(none->grading.grades, std::vector<int64_t>{0});
}

TEST(Grading, ImportantWordsSortTitleAndExclusion) {
  // b and c tie at 2: b came first, so b ranks 2nd.
  const auto g = Grade(u"the x b c the b c x x a y z w", {u"the", u"a"});
  EXPECT_EQ(Ranked(*g), (std::vector<std::pair<std::u16string, int64_t>>{
                            {u"x", 3}, {u"b", 2}, {u"c", 2}, {u"y", 1}, {u"z", 1},
                            {u"w", 1}, {u" ", 1}}));
  EXPECT_EQ(g->grading.title, u"x,b,c,y,z,");
  // x: 3*3 three times; b, c: 2*2 twice each; y: 2*1; z, w, " ": 1*1.
  EXPECT_EQ(g->grading.grades[0], 27 + 8 + 8 + 2 + 1 + 1 + 1);
}

// The ranking is a stable sort by count, most frequent first, whether the
// counts are few and close (counted) or spread wide (sorted): random texts
// of both kinds against std::stable_sort.
TEST(Grading, RankingIsAStableSortByCount) {
  std::mt19937 random(5);
  for (int round = 0; round < 60; ++round) {
    const int vocabulary = 2 + static_cast<int>(random() % 40);
    const int words = 1 + static_cast<int>(random() % 200);
    std::u16string text;
    for (int i = 0; i < words; ++i) {
      const std::string word = "w" + std::to_string(random() % vocabulary);
      text.append(word.begin(), word.end()).push_back(u' ');
    }
    if (round % 2 == 1) {  // one word far more frequent than there are stems
      for (int i = 0; i < 3000; ++i) text += u"often ";
    }
    const auto g = Grade(text, {u"w0"});
    std::vector<TextTable::Id> expected;
    for (TextTable::Id id = 0; id < g->article.StemCount(); ++id) {
      if (g->article.StemText(id) != u"w0") expected.push_back(id);
    }
    std::stable_sort(expected.begin(), expected.end(), [&](TextTable::Id a, TextTable::Id b) {
      return g->article.stemCounts[a] > g->article.stemCounts[b];
    });
    ASSERT_EQ(g->grading.importantWords, expected) << round;
  }
}

TEST(Grading, TitleOfFewOrNoImportantWords) {
  const auto few = Grade(u"p q p r", {u" "});
  EXPECT_EQ(few->grading.title, u"p,q,r,");
  const auto none = Grade(u"p p", {u"p", u" "});
  EXPECT_TRUE(none->grading.importantWords.empty());
  EXPECT_EQ(none->grading.title, u"");
  EXPECT_EQ(none->grading.grades[0], 0);
}

std::vector<int> Select(std::vector<std::pair<int64_t, int>> gradesAndCounts, int percent,
                        SelectionOrder order = SelectionOrder::kGraded) {
  Article article;
  std::vector<int64_t> grades;
  for (const auto& [grade, count] : gradesAndCounts) {
    article.sentences.push_back({article.words.size(), static_cast<size_t>(count)});
    article.words.resize(article.words.size() + count);
    grades.push_back(grade);
  }
  const Selection selection = SelectByPercentage(article, grades, percent, order);
  return std::vector<int>(selection.begin(), selection.end());
}

TEST(Selection, BestGradeFirstUntilTheShareIsCovered) {
  struct Case {
    const char* name;
    std::vector<std::pair<int64_t, int>> sentences;  // grade, word count
    int percent;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {"3/3/4 at 50", {{5, 3}, {9, 3}, {9, 4}}, 50, {0, 1, 1}},
      {"zero", {{5, 3}, {9, 3}}, 0, {0, 0}},
      {"negative clamps to zero", {{5, 3}, {9, 3}}, -5, {0, 0}},
      {"hundred", {{5, 3}, {9, 3}, {0, 1}}, 100, {1, 1, 1}},
      {"over hundred clamps", {{5, 3}, {9, 3}, {0, 1}}, 150, {1, 1, 1}},
      {"target exactly met", {{1, 1}, {0, 9}}, 10, {1, 0}},
      {"overshooting best sentence alone", {{1, 2}, {7, 8}}, 10, {0, 1}},
      {"all zero in text order", {{0, 2}, {0, 2}, {0, 2}}, 50, {1, 1, 0}},
      {"single space sentence", {{0, 1}}, 1, {1}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Select(c.sentences, c.percent), c.expected) << c.name;
  }
  // The lead order ignores the grades.
  EXPECT_EQ(Select({{5, 3}, {9, 3}, {9, 4}}, 50, SelectionOrder::kLead),
            (std::vector<int>{1, 1, 0}));
}

}  // namespace
}  // namespace vellumtrace
