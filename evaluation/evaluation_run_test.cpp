#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/summarizer_engine.h"
#include "evaluation/evaluation_run.h"
#include "evaluation/reference_length.h"
#include "evaluation/summary_extraction.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

TEST(ReferencePercentTest, WholePercentOfWhitespaceWords) {
  struct Case {
    std::u16string document;
    std::u16string reference;
    int32_t percent;
  };
  const std::vector<Case> cases = {
      {u"a b c d e f g h i j", u"a b c", 30},
      {u"a b c", u"a", 33},                 // 33.3 rounds down
      {u"a b c d e f g h", u"a", 13},       // 12.5 rounds up
      {u"a\tb\nc\r\nd", u" x  y ", 50},     // any of the six spaces separates
      {u"a\u00A0b c", u"x", 50},            // the no-break space does not
      {u"a b", u"a b c", 100},              // a longer reference keeps it all
      {u"", u"a", 0},
      {u"a b", u"", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReferencePercent(c.document, c.reference), c.percent)
        << "words " << CountWords(c.document) << " and "
        << CountWords(c.reference);
  }
}

TEST(ReferenceLinesTest, SplitsAtLineEnds) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(ReferenceLines(u"One.\nTwo.\n"), (Lines{u"One.", u"Two."}));
  EXPECT_EQ(ReferenceLines(u"One.\r\nTwo."), (Lines{u"One.", u"Two."}));
  EXPECT_EQ(ReferenceLines(u"One.\n\nTwo."), (Lines{u"One.", u"", u"Two."}));
}

// A dictionary in which "." ends a sentence and is stripped from stems.
class EvaluationRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vellumtrace_eval_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_folder = pattern;
    m_dictionary = m_folder / "dic.xml";
    std::ofstream(m_dictionary)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<dic>"
           "<linebreak><i>.</i></linebreak>"
           "<step1_post><i>.</i></step1_post></dic>\n";
  }
  void TearDown() override { fs::remove_all(m_folder); }

  fs::path m_folder;
  fs::path m_dictionary;
};

// "Alpha beta." (2 words), "Gamma delta gamma delta." (4), "Epsilon." (1),
// and the closing single-space word (1): 8 words. "delta" is the only stem
// seen twice, so it ranks first (weight 3, count 2); the second sentence
// grades 2+6+1+6 = 15, the first 2+2 = 4. At 25% the target is 2 words.
constexpr char16_t kText[] = u"Alpha beta. Gamma delta gamma delta. Epsilon.";

TEST_F(EvaluationRunTest, GradedTakesTheBestSentenceAndLeadTheFirst) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  const std::u16string path = testing::U16Path(m_dictionary);
  ExtractedSummaries summaries;
  ASSERT_TRUE(ExtractSummaries(engine, path, kText, 25, true, &summaries));
  EXPECT_EQ(summaries.system, std::vector<std::u16string>{u"Gamma delta gamma delta."});
  EXPECT_EQ(summaries.lead, std::vector<std::u16string>{u"Alpha beta."});
  // At 100% every sentence is a line, the closing space word trimmed away.
  ASSERT_TRUE(ExtractSummaries(engine, path, kText, 100, false, &summaries));
  EXPECT_TRUE(summaries.lead.empty());
  EXPECT_EQ(summaries.system, (std::vector<std::u16string>{
                                  u"Alpha beta.", u"Gamma delta gamma delta.",
                                  u"Epsilon.", u" "}));
  // One analysis per text: one load, one alert for a missing dictionary.
  EXPECT_FALSE(ExtractSummaries(engine, u"/nonexistent/dic.xml", kText, 25, true, &summaries));
  EXPECT_EQ(platform.alert.shown.size(), 1u);
}

TEST_F(EvaluationRunTest, ScoresBothMethodsAndAveragesOverDocuments) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  EvaluationSettings settings;
  settings.dictionaryPath = testing::U16Path(m_dictionary);
  settings.lengthFromReference = true;
  settings.withLead = true;
  const std::vector<EvaluationDocument> documents = {
      {"one", kText, u"Gamma delta gamma delta.\n"},
      {"two", u"Zeta eta. Theta.", u"zeta eta\n"},
  };
  std::vector<size_t> progress;
  const EvaluationResult result = RunEvaluation(
      engine, documents, settings,
      [&progress](size_t done, size_t total) {
        EXPECT_EQ(total, 2u);
        progress.push_back(done);
      });
  EXPECT_EQ(progress, (std::vector<size_t>{1, 2}));
  ASSERT_EQ(result.documents.size(), 2u);
  EXPECT_FALSE(result.dictionaryFailed);
  EXPECT_EQ(result.documents[0].percent, 57);  // 4 of 7
  EXPECT_EQ(result.documents[1].percent, 67);  // 2 of 3
  // Document 1, 57% of 8 words = 4.56: graded takes the 4-word sentence,
  // then "Alpha beta." (grade 4): recall 1, precision 4/6. Lead takes
  // "Alpha beta." and the 4-word sentence: the same words.
  EXPECT_NEAR(result.documents[0].system.rouge1.recall, 1.0, 1e-12);
  EXPECT_NEAR(result.documents[0].system.rouge1.precision, 4.0 / 6, 1e-12);
  EXPECT_NEAR(result.documents[0].lead.rouge1.precision, 4.0 / 6, 1e-12);
  // Document 2 ("Zeta eta." 2, "Theta." 1, space 1; 67% of 4 = 2.68): both
  // methods take "Zeta eta." then "Theta.": P 2/3, R 1.
  EXPECT_NEAR(result.documents[1].system.rouge1.precision, 2.0 / 3, 1e-12);
  EXPECT_NEAR(result.system.rouge1.precision, (4.0 / 6 + 2.0 / 3) / 2, 1e-12);
  EXPECT_NEAR(result.lead.rouge1.recall, 1.0, 1e-12);
}

}  // namespace
}  // namespace vellumtrace
