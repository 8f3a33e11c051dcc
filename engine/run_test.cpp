// Properties of whole runs: independence of runs, the NUL end, the dumps'
// fragments, the HTML escaping and the alert.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <unistd.h>

#include "dictionary/dictionary_loader.h"
#include "engine/summarizer_engine.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() /
            ("vellumtrace_run_test_" + std::to_string(::getpid()));
    fs::create_directories(m_dir / "dic");
    std::ofstream(m_dir / "dic" / "en.xml") << R"(<?xml version="1.0"?>
<dictionary>
  <linebreak><i>.</i><i>?</i></linebreak>
  <linedontbreak><i>Mr.</i></linedontbreak>
  <step1_post><i>,</i><i>.</i><i>s</i></step1_post>
  <grader-tc><i>the</i><i>a</i></grader-tc>
</dictionary>
)";
    std::ofstream(m_dir / "dic" / "xx.xml") << R"(<d><linebreak><i>!</i></linebreak></d>)";
  }
  void TearDown() override { fs::remove_all(m_dir); }

  std::u16string Folder() const { return testing::U16Path(m_dir) + u"/"; }

  fs::path m_dir;
};

TEST_F(RunTest, DefaultPathAndLanguages) {
  testing::FixedModuleLocator windows(u"C:\\Apps\\Summ\\", u'\\');
  testing::RecordingPlatform platform;
  EngineServices services = platform.Services();
  services.moduleLocator = &windows;
  SummarizerEngine engine(services);
  EXPECT_EQ(engine.DictionaryPath(), u"C:\\Apps\\Summ\\dic\\en.xml");
  EXPECT_EQ(engine.DictionaryPathFor(u"de"), u"C:\\Apps\\Summ\\dic\\de.xml");
}

TEST_F(RunTest, SecondRunIsLikeAFirstRun) {
  const std::u16string a = u"The cats sleep. The dogs bark, loudly. Mr. Smith waits?";
  const std::u16string b = u"Birds sing. Birds fly high. Fish swim.";
  testing::RecordingPlatform twice(Folder());
  SummarizerEngine engine(twice.Services());
  engine.SetOutputStyle(OutputStyle::kHtml);
  engine.RunSummary(a, 50);
  const size_t firstDump = twice.debug.fragments.size();
  engine.SetOutputStyle(OutputStyle::kPlainText);
  const std::u16string second = engine.RunSummary(b, 60);
  const std::vector<std::u16string> secondDump(twice.debug.fragments.begin() + firstDump,
                                               twice.debug.fragments.end());

  testing::RecordingPlatform fresh(Folder());
  SummarizerEngine other(fresh.Services());
  EXPECT_EQ(other.RunSummary(b, 60), second);
  EXPECT_EQ(fresh.debug.fragments, secondDump);
  EXPECT_EQ(engine.LastRun().grading.title, other.LastRun().grading.title);
  EXPECT_EQ(second, u"Birds sing. Birds fly high. ");
}

// Runs reuse the last run's buffers and the memo: a series through one
// engine with one dictionary, small after large (whose room is let go) and
// after empty, gives each text what a new engine gives it, down to the
// run's records. Midway the memo moves to a new engine, and later one
// learnt with another dictionary is handed in.
TEST_F(RunTest, ASeriesOfRunsGivesWhatFreshEnginesGive) {
  LanguageDictionary lists;
  lists.m_linebreak = {u".", u"?"};
  lists.m_linedontbreak = {u"Mr."};
  lists.m_step1_post = {u",", u".", u"s"};
  lists.m_grader_tc = {u"the", u"a"};
  LanguageDictionary otherLists = lists;
  otherLists.m_step1_post = {u"g", u"h"};
  otherLists.m_linebreak = {u"p."};
  const auto dictionary = std::make_shared<const CompiledDictionary>(std::move(lists));
  const auto otherDictionary = std::make_shared<const CompiledDictionary>(std::move(otherLists));
  std::u16string large;
  for (int i = 0; i < 40000; ++i) large += i % 7 == 0 ? u"Cats sleep. " : u"dogs bark ";
  const std::u16string series[] = {u"The cats sleep. The dogs bark, loudly. Mr. Smith waits?",
                                   large, u"Birds sing. Birds fly high. Fish swim.", u"",
                                   u"Fish swim. Birds sing. Birds fly high.", u"  \n ",
                                   u"The cats sleep. Birds sing, high. Dogs bark."};
  testing::RecordingPlatform kept(Folder());
  auto engine = std::make_unique<SummarizerEngine>(kept.Services());
  engine->SetDictionary(dictionary);
  for (size_t i = 0; i < std::size(series); ++i) {
    if (i == 2 || i == 5) {
      auto next = std::make_unique<SummarizerEngine>(kept.Services());
      next->SetDictionary(dictionary);
      if (i == 2) {
        next->AdoptTokenMemo(engine->TakeTokenMemo());
      } else {
        SummarizerEngine other(kept.Services());
        other.SetDictionary(otherDictionary);
        other.RunSummary(series[0] + series[6], 40);
        next->AdoptTokenMemo(other.TakeTokenMemo());
      }
      engine = std::move(next);
    }
    const OutputStyle style = i % 2 == 0 ? OutputStyle::kHtml : OutputStyle::kPlainText;
    engine->SetOutputStyle(style);
    const size_t before = kept.debug.fragments.size();
    const std::u16string result = engine->RunSummary(series[i], 40);
    testing::RecordingPlatform fresh(Folder());
    SummarizerEngine other(fresh.Services());
    other.SetDictionary(dictionary);
    other.SetOutputStyle(style);
    ASSERT_EQ(other.RunSummary(series[i], 40), result) << i;
    EXPECT_TRUE(std::equal(kept.debug.fragments.begin() + static_cast<std::ptrdiff_t>(before),
                           kept.debug.fragments.end(), fresh.debug.fragments.begin(),
                           fresh.debug.fragments.end())) << i;
    const SummaryRun& a = engine->LastRun();
    const SummaryRun& b = other.LastRun();
    EXPECT_EQ(a.article.words.size(), b.article.words.size()) << i;
    EXPECT_EQ(a.article.stemCounts, b.article.stemCounts) << i;
    EXPECT_EQ(a.article.stemIsGraderTerm, b.article.stemIsGraderTerm) << i;
    EXPECT_EQ(a.grading.importantWords, b.grading.importantWords) << i;
    EXPECT_EQ(a.grading.grades, b.grading.grades) << i;
    EXPECT_EQ(a.selection, b.selection) << i;
    // The memo went along: it holds the earlier texts' tokens too.
    if (i == 2) {
      EXPECT_GT(engine->Memo().TokenCount(), 10u);
    }
  }
}

TEST_F(RunTest, TextEndsAtNul) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  const std::u16string text(u"Kept words.\0Lost words.", 23);
  EXPECT_EQ(engine.RunSummary(text, 100), u"Kept words.   ");
  EXPECT_EQ(engine.LastRun().article.text, u"Kept words.");
}

TEST_F(RunTest, LanguageChangeLeavesNothingOfTheFirstDictionary) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.RunSummary(u"a. b", 100);
  EXPECT_FALSE(engine.LastRun().dictionary->Lists().m_grader_tc.empty());
  engine.SetDictionaryPath(engine.DictionaryPathFor(u"xx"));
  EXPECT_EQ(engine.RunSummary(u"a. b! c", 100), u"a. b! c   ");
  const LanguageDictionary& lists = engine.LastRun().dictionary->Lists();
  EXPECT_TRUE(lists.m_grader_tc.empty());
  EXPECT_EQ(lists.m_linebreak, std::vector<std::u16string>{u"!"});
  EXPECT_TRUE(lists.m_step1_post.empty());
  EXPECT_TRUE(platform.alert.shown.empty());
}

TEST_F(RunTest, MissingDictionaryAlertsOncePerRunAndStillSummarises) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(engine.DictionaryPathFor(u"missing"));
  EXPECT_EQ(engine.RunSummary(u"One. Two.", 100), u"One. Two.   ");
  ASSERT_EQ(platform.alert.shown.size(), 1u);
  EXPECT_EQ(platform.alert.shown[0].first, u"Dictionary File not found");
  EXPECT_EQ(platform.alert.shown[0].second, u"ZEV");
  ASSERT_EQ(platform.alert.details.size(), 1u);
  EXPECT_EQ(platform.alert.details[0], u"dictionary " + engine.DictionaryPath() + u": not found");
  EXPECT_EQ(engine.LastRun().article.sentences.size(), 1u);
  engine.RunSummary(u"Again.", 100);
  EXPECT_EQ(platform.alert.shown.size(), 2u);
  EXPECT_EQ(platform.diagnostic.written, "");
}

// The alert's message box lets the host dispatch other calls while it
// shows; by then the run must have changed nothing of the engine yet.
TEST_F(RunTest, AlertShowsBeforeTheRunTouchesTheEngine) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.RunSummary(u"First one. Second one.", 100);
  const size_t firstSentences = engine.LastRun().article.sentences.size();
  engine.SetDictionaryPath(engine.DictionaryPathFor(u"missing"));
  std::u16string textDuringAlert;
  size_t sentencesDuringAlert = 0;
  platform.alert.onShow = [&] {
    textDuringAlert = engine.LastRun().article.text;
    sentencesDuringAlert = engine.LastRun().article.sentences.size();
  };
  engine.RunSummary(u"Third.", 100);
  ASSERT_EQ(platform.alert.shown.size(), 1u);
  EXPECT_EQ(textDuringAlert, u"First one. Second one.");
  EXPECT_GT(firstSentences, 1u);
  EXPECT_EQ(sentencesDuringAlert, firstSentences);
  EXPECT_EQ(engine.LastRun().article.text, u"Third.");
}

TEST_F(RunTest, HtmlEscapesWordsAndTitleButDumpsStayRaw) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.SetOutputStyle(OutputStyle::kHtml);
  const std::u16string html = engine.RunSummary(u"<b>&x --> <b>&x", 100);
  EXPECT_EQ(html,
            u"<html>\n<head>\n<title>ZEV</title>\n<meta charset=\"utf-8\">\n</head>\n<body>\n"
            u"<!-- Generated by Tessaline WIN 32 COM Version by Ilva-->\n"
            u"<!--&lt;b&gt;&amp;x,--&gt;, ,-->\n"
            u"<FONT COLOR=\"#16569E\"><span style='background:yellow;'>"
            u"&lt;b&gt;&amp;x --&gt; &lt;b&gt;&amp;x   </span></FONT>\n"
            u"</body></html>\n");
  EXPECT_EQ(engine.LastRun().grading.title, u"<b>&x,-->, ,");
  const std::u16string dump = platform.debug.Joined();
  EXPECT_NE(dump.find(u"\n word =<b>&x\t stem =<b>&x\t occurence =2"), std::u16string::npos);
  EXPECT_NE(dump.find(u"The Title is\n*******\n <b>&x,-->, ,"), std::u16string::npos);
  EXPECT_NE(dump.find(u"Dumping output " + html), std::u16string::npos);
  // Plain text stays raw.
  engine.SetOutputStyle(OutputStyle::kPlainText);
  EXPECT_EQ(engine.RunSummary(u"<b>&x", 100), u"<b>&x   ");
}

TEST_F(RunTest, DumpFragmentsAreSeparateCalls) {
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(engine.DictionaryPathFor(u"xx"));
  engine.RunSummary(u"a b! c", 0);
  const std::vector<std::u16string> expected = {
      u"\nContents of manual",
      u"\nContents of Parser Break", u"\n", u"!",
      u"\nContents of ParserdontBreak",
      u"\nContents of Remove post",
      u"\nContents of Remove pre",
      u"\nContents of step1_post",
      u"\nContents of step1_pre",
      u"\nContents of Synonyms",
      u"\n*******\nDumping Article ",
      u"\n*******\nDumping Sentence ", u"\n", u"a", u"\n", u"b!",
      u"\n*******\nDumping Sentence ", u"\n", u"c", u"\n", u" ",
      u"\n*******\nDumping Word Entries Article\n*****\n",
      u"\n word =", u"a", u"\t stem =", u"a", u"\t occurence =", u"1",
      u"\n word =", u"b!", u"\t stem =", u"b!", u"\t occurence =", u"1",
      u"\n word =", u"c", u"\t stem =", u"c", u"\t occurence =", u"1",
      u"\n word =", u" ", u"\t stem =", u" ", u"\t occurence =", u"1",
      u"\n*******\nThe Title is\n*******\n ", u"a,b!,c, ,",
      u"\n*******\nDumping output ", u"",
      u"\n*******\nDumping Important words in sorted order ",
      u"\n word =", u"a", u"\t stem =", u"a", u"\t occurence =", u"1",
      u"\n word =", u"b!", u"\t stem =", u"b!", u"\t occurence =", u"1",
      u"\n word =", u"c", u"\t stem =", u"c", u"\t occurence =", u"1",
      u"\n word =", u" ", u"\t stem =", u" ", u"\t occurence =", u"1",
  };
  EXPECT_EQ(platform.debug.fragments, expected);
}

TEST_F(RunTest, NullDebugOutputSkipsTheDumps) {
  testing::RecordingPlatform platform(Folder());
  testing::DisabledCountingOutput none;
  EngineServices services = platform.Services();
  services.debugOutput = &none;
  SummarizerEngine engine(services);
  EXPECT_EQ(engine.RunSummary(u"The cats sleep.", 100), u"The cats sleep.   ");
  engine.SetOutputStyle(OutputStyle::kHtml);
  engine.RunSummary(u"The cats sleep. Dogs bark.", 50);
  EXPECT_EQ(none.writes, 0u);
}

// A sink whose audience comes and goes (a debug-output listener on
// Windows) decides once per run, before the first fragment: each run is
// dumped whole or not at all, and the next run looks again.
TEST_F(RunTest, AudienceDecidedOncePerRun) {
  class AudienceOutput final : public DebugOutput {
   public:
    void Write(std::u16string_view fragment) override {
      fragments.emplace_back(fragment);
      if (leaveAfterFirst) audience = false;
    }
    bool IsEnabled() const override { return m_observed; }
    void BeginRun() override {
      ++begins;
      m_observed = audience;
      if (!fragments.empty()) fragments.emplace_back(u"<begin>");
    }
    bool audience = false;
    bool leaveAfterFirst = false;
    int begins = 0;
    std::vector<std::u16string> fragments;

   private:
    bool m_observed = false;
  };
  testing::RecordingPlatform reference(Folder());
  SummarizerEngine whole(reference.Services());
  whole.RunSummary(u"The cats sleep. Dogs bark.", 50);
  ASSERT_FALSE(reference.debug.fragments.empty());

  const struct {
    const char* name;
    bool audience;
    bool leaveAfterFirst;
    bool dumped;
  } rows[] = {
      {"nobody there", false, false, false},
      {"a listener came", true, false, true},
      {"the listener leaves during the run", true, true, true},
      {"the listener has gone", false, false, false},
  };
  testing::RecordingPlatform platform(Folder());
  AudienceOutput audience;
  EngineServices services = platform.Services();
  services.debugOutput = &audience;
  SummarizerEngine engine(services);
  int runs = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    audience.fragments.clear();
    audience.audience = row.audience;
    audience.leaveAfterFirst = row.leaveAfterFirst;
    engine.RunSummary(u"The cats sleep. Dogs bark.", 50);
    EXPECT_EQ(audience.begins, ++runs);
    if (row.dumped) {
      EXPECT_EQ(audience.fragments, reference.debug.fragments);
    } else {
      EXPECT_TRUE(audience.fragments.empty());
    }
  }
}

// The process keeps compiled dictionaries, but every run sees the file as
// it is: an edit, a removal and a restored file each show at once.
TEST_F(RunTest, CachedDictionaryFollowsTheFile) {
  const fs::path path = m_dir / "dic" / "cached.xml";
  const auto write = [&path](const char* breaks) {
    std::ofstream(path) << "<d><linebreak>" << breaks << "</linebreak></d>";
    // Older than a clock tick, so the version may be cached.
    fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
  };
  testing::RecordingPlatform platform(Folder());
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(testing::U16Path(path));
  write("<e>!</e>");
  EXPECT_EQ(engine.RunSummary(u"a! b. c", 100), u"a! b. c   ");
  const auto first = engine.LastRun().dictionary;
  engine.RunSummary(u"a! b. c", 100);
  EXPECT_EQ(engine.LastRun().dictionary, first);  // the same compiled dictionary
  SummarizerEngine other(platform.Services());
  other.SetDictionaryPath(testing::U16Path(path));
  other.RunSummary(u"x", 100);
  EXPECT_EQ(other.LastRun().dictionary, first);  // shared across engines
  write("<e>.</e>");  // same size, new time
  EXPECT_EQ(engine.RunSummary(u"a! b. c", 100), u"a! b. c   ");
  EXPECT_EQ(engine.LastRun().article.sentences.size(), 2u);
  fs::remove(path);
  engine.RunSummary(u"a! b. c", 100);
  EXPECT_EQ(platform.alert.shown.size(), 1u);
  engine.RunSummary(u"a! b. c", 100);
  EXPECT_EQ(platform.alert.shown.size(), 2u);  // failed loads are not kept
  write("<e>!</e>");
  engine.RunSummary(u"a! b. c", 100);
  EXPECT_EQ(platform.alert.shown.size(), 2u);
  EXPECT_EQ(engine.LastRun().dictionary->Lists().m_linebreak, std::vector<std::u16string>{u"!"});
  // Every run dumps its rules, cached or not.
  EXPECT_EQ(std::count(platform.debug.fragments.begin(), platform.debug.fragments.end(),
                       u"\nContents of Parser Break"),
            7);
}

// Engines on two threads share one compiled dictionary and give what one
// engine gives alone.
TEST_F(RunTest, ThreadsShareOneDictionary) {
  testing::RecordingPlatform loader;
  auto shared = ReadDictionaryFile(Folder() + u"dic/en.xml", loader.reader, loader.diagnostic).dictionary;
  const auto summarise = [&shared](int seed) {
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    engine.SetDictionary(shared);
    std::u16string all;
    for (int i = 0; i < 200; ++i) {
      all += engine.RunSummary(u"The cats sleep. Mr. Smith waits? Dogs bark, loudly. " +
                                   std::u16string(static_cast<size_t>((seed + i) % 7), u'x'),
                               30 + i % 50);
    }
    return all;
  };
  std::u16string first, second;
  std::thread a([&] { first = summarise(1); });
  std::thread b([&] { second = summarise(1); });
  a.join();
  b.join();
  EXPECT_EQ(first, summarise(1));
  EXPECT_EQ(second, first);
}

// A dictionary given to the engine serves every run without any file.
TEST_F(RunTest, GivenDictionaryServesEveryRun) {
  LanguageDictionary lists;
  lists.m_linebreak = {u"."};
  lists.m_step1_post = {u"s"};
  auto shared = std::make_shared<const CompiledDictionary>(std::move(lists));
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.SetDictionary(shared);
  // "Cats" counts as "Cat": the second sentence wins.
  EXPECT_EQ(engine.RunSummary(u"Dogs bark. Cats and Cat", 40), u"Cats and Cat   ");
  EXPECT_TRUE(platform.alert.shown.empty());
  EXPECT_EQ(engine.LastRun().dictionary, shared);
  engine.SetDictionary(nullptr);
  engine.RunSummary(u"x", 100);
  EXPECT_EQ(platform.alert.shown.size(), 1u);  // back to the (missing) file
}

}  // namespace
}  // namespace vellumtrace
