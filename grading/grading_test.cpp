// Ranking, sentence grades, title and selection on hand-made articles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/summarizer_engine.h"
#include "grading/rank_weight.h"
#include "tests/support/recording_services.h"

namespace vellumtrace {
namespace {

std::unique_ptr<WordEntry> Entry(std::u16string stem, int64_t count) {
  auto e = std::make_unique<WordEntry>();
  e->word = stem;
  e->stem = std::move(stem);
  e->count = count;
  return e;
}

Sentence& AddSentence(SummarizerEngine& engine, std::vector<std::u16string> words) {
  Sentence& s = engine.NewSentence();
  for (auto& w : words) s.AddWord(std::move(w));
  return s;
}

TEST(Grading, RankWeights) {
  EXPECT_EQ(RankWeight(1), 3);
  EXPECT_EQ(RankWeight(2), 2);
  EXPECT_EQ(RankWeight(4), 2);
  EXPECT_EQ(RankWeight(5), 1);
  EXPECT_EQ(RankWeight(9), 1);
}

TEST(Grading, WorkedExampleGivesSeventeen) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  const int64_t counts[] = {5, 4, 4, 2, 2, 1};
  const char16_t* stems[] = {u"r1", u"r2", u"r3", u"r4", u"r5", u"r6"};
  for (int i = 0; i < 6; ++i) engine.m_importantWords.push_back(Entry(stems[i], counts[i]));
  Sentence& s = AddSentence(engine, {u"r2", u"r6", u"r2", u"nothing"});
  Sentence& empty = AddSentence(engine, {u"none"});
  engine.GradeSentences();
  EXPECT_EQ(s.grade, 17);
  EXPECT_EQ(empty.grade, 0);
}

TEST(Grading, ImportantWordsSortTitleAndExclusion) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.m_grader_tc = {u"the", u"a"};
  // b and c tie at 2: b came first, so b ranks 2nd.
  engine.SetText(u"the x b c the b c x x a y z w");
  engine.SplitText();
  engine.Grade();
  std::vector<std::pair<std::u16string, int64_t>> ranked;
  for (const auto& e : engine.m_importantWords) ranked.emplace_back(e->stem, e->count);
  EXPECT_EQ(ranked, (std::vector<std::pair<std::u16string, int64_t>>{
                        {u"x", 3}, {u"b", 2}, {u"c", 2}, {u"y", 1}, {u"z", 1},
                        {u"w", 1}, {u" ", 1}}));
  EXPECT_EQ(engine.m_title, u"x,b,c,y,z,");
  // x: 3*3 three times; b, c: 2*2 twice each; y: 2*1; z, w, " ": 1*1.
  EXPECT_EQ(engine.m_sentences[0]->grade, 27 + 8 + 8 + 2 + 1 + 1 + 1);
  // Word-list entries are copied, not shared.
  EXPECT_NE(engine.m_importantWords[0].get(), engine.m_wordList[1].get());
}

TEST(Grading, TitleOfFewOrNoImportantWords) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.m_grader_tc = {u" "};
  engine.SetText(u"p q p r");
  engine.SplitText();
  engine.Grade();
  EXPECT_EQ(engine.m_title, u"p,q,r,");

  SummarizerEngine none(platform.Services());
  none.m_grader_tc = {u"p", u" "};
  none.SetText(u"p p");
  none.SplitText();
  none.Grade();
  EXPECT_TRUE(none.m_importantWords.empty());
  EXPECT_EQ(none.m_title, u"");
  EXPECT_EQ(none.m_sentences[0]->grade, 0);
}

std::vector<int> Select(std::vector<std::pair<int64_t, int>> gradesAndCounts, int percent) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  for (const auto& [grade, count] : gradesAndCounts) {
    Sentence& s = engine.NewSentence();
    for (int i = 0; i < count; ++i) s.AddWord(u"w");
    s.grade = grade;
  }
  engine.SelectByPercentage(percent);
  std::vector<int> selected;
  for (const auto& s : engine.m_sentences) selected.push_back(s->selected);
  return selected;
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
}

}  // namespace
}  // namespace vellumtrace
