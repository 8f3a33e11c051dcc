// Several threads, each with its own engine and platform (its own libxml2
// reader among them), summarise different texts with one dictionary file at
// the same time: every result and every dump equals a single-threaded run.
// Run under the tsan preset this also proves the loads race on nothing.
// libxml2's error handlers are per thread and its one-time set-up is done
// here, as in a program, by a reader made before the threads start (the
// single-threaded runs); the threads then make readers of their own.
#include <gtest/gtest.h>

#include <barrier>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "dictionary/dictionary_loader.h"
#include "engine/summarizer_engine.h"
#include "tests/support/recording_services.h"
#include "tests/support/test_paths.h"

namespace vellumtrace {
namespace {

struct Outcome {
  std::u16string result;
  std::u16string dump;
  size_t alerts = 0;
  std::string diagnostic;
  bool operator==(const Outcome&) const = default;
};

struct Job {
  std::u16string text;
  int32_t percent;
  int32_t html;
};

// A dictionary file, read through the process's cache, or one compiled
// dictionary handed to every engine.
struct DictionarySource {
  std::u16string path;
  std::shared_ptr<const CompiledDictionary> shared;
};

Outcome Summarise(const DictionarySource& dictionary, const Job& job) {
  testing::RecordingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(dictionary.path);
  engine.SetDictionary(dictionary.shared);
  engine.SetOutputStyle(job.html ? OutputStyle::kHtml : OutputStyle::kPlainText);
  Outcome outcome;
  outcome.result = engine.RunSummary(job.text, job.percent);
  outcome.dump = platform.debug.Joined();
  outcome.alerts = platform.alert.shown.size();
  outcome.diagnostic = platform.diagnostic.written;
  return outcome;
}

// Sample and golden texts are ASCII apart from the one Unicode case, which
// is kept as UTF-8 bytes widened one by one: any units do for this test.
std::u16string ReadWidened(const std::string& relative) {
  std::ifstream in(testing::SourceDir() / relative, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  return std::u16string(bytes.begin(), bytes.end());
}

TEST(ConcurrencyTest, ThreadsSummariseAsOneThreadDoes) {
  const std::vector<Job> jobs = {
      {ReadWidened("samples/bees.txt"), 30, 0},
      {ReadWidened("samples/lighthouse.txt"), 50, 1},
      {ReadWidened("tests/golden/unicode_text/text.txt"), 100, 1},
      {ReadWidened("tests/golden/counts_over_ten/text.txt"), 20, 0},
  };
  const std::u16string dictionary = testing::U16Path(testing::SourceDir() / "dic" / "en.xml");
  // Also a missing and a malformed dictionary: the failing loads take
  // libxml2's error paths while the others parse.
  testing::RecordingPlatform loader;
  const DictionaryLoad shared =
      ReadDictionaryFile(dictionary, loader.reader, loader.diagnostic);
  ASSERT_TRUE(shared.Loaded());
  const std::vector<DictionarySource> dictionaries = {
      {dictionary, nullptr},
      {dictionary, shared.dictionary},
      {testing::U16Path(testing::SourceDir() / "tests/golden/malformed_dictionary/dictionary.xml"),
       nullptr},
      {testing::U16Path(testing::SourceDir() / "dic" / "missing.xml"), nullptr}};

  std::vector<std::vector<Outcome>> expected(jobs.size());
  for (size_t t = 0; t < jobs.size(); ++t) {
    for (const auto& d : dictionaries) expected[t].push_back(Summarise(d, jobs[t]));
  }
  ASSERT_EQ(expected[0][0].alerts, 0u);
  ASSERT_EQ(expected[0][2].alerts, 1u);
  ASSERT_EQ(expected[0][3].alerts, 1u);

  constexpr int kRounds = 3;
  std::vector<std::vector<Outcome>> got(jobs.size());
  std::barrier start(static_cast<std::ptrdiff_t>(jobs.size()));
  std::vector<std::thread> threads;
  for (size_t t = 0; t < jobs.size(); ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      // Each thread walks the dictionaries from a different place, so that
      // good and failing loads overlap.
      for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < dictionaries.size(); ++i) {
          got[t].push_back(Summarise(dictionaries[(i + t) % dictionaries.size()], jobs[t]));
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();

  for (size_t t = 0; t < jobs.size(); ++t) {
    ASSERT_EQ(got[t].size(), kRounds * dictionaries.size());
    for (size_t k = 0; k < got[t].size(); ++k) {
      EXPECT_TRUE(got[t][k] == expected[t][(k + t) % dictionaries.size()])
          << "thread " << t << ", run " << k;
    }
  }
}

}  // namespace
}  // namespace vellumtrace
