// The public C++ API end to end: golden parity with the engine, byte ranges
// of the sentences, errors as values, the JSON form and sharing across
// threads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/command_runner.h"
#include "tests/support/test_paths.h"
#include "vellumtrace/summarize.h"

namespace vellumtrace {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ReadFile;

Dictionary English() {
  auto dictionary = Dictionary::ForLanguage("en");
  EXPECT_TRUE(dictionary.ok()) << dictionary.status().message();
  return *dictionary;
}

TEST(Library, GoldenCasesGiveTheEngineResultAndDump) {
  for (const auto& dir : fs::directory_iterator(testing::SourceDir() / "tests" / "golden")) {
    const fs::path folder = dir.path();
    Options options;
    size_t alerts = 0;
    std::istringstream lines(ReadFile(folder / "options"));
    for (std::string line; std::getline(lines, line);) {
      if (line.starts_with("percent=")) options.percent = std::stoi(line.substr(8));
      if (line == "format=html") options.format = Format::kHtml;
      if (line.starts_with("alerts=")) alerts = std::stoul(line.substr(7));
    }
    const fs::path file = folder / "dictionary.xml";
    auto dictionary = Dictionary::Load(file.string());
    // A dictionary the engine cannot use is refused when loaded: missing,
    // or there but unusable. The stand-in then gives the engine's result.
    ASSERT_EQ(dictionary.ok(), alerts == 0) << folder;
    if (!dictionary.ok()) {
      EXPECT_EQ(dictionary.status().code(), fs::exists(file) ? StatusCode::kDictionaryInvalid
                                                             : StatusCode::kDictionaryUnavailable)
          << folder;
      dictionary = Dictionary::Missing(file.string());
    }
    std::string dump;
    options.on_debug = [&](std::string_view fragment) { dump += fragment; };
    Summarizer summarizer(*dictionary);
    // Twice on one summarizer: what it keeps between calls changes nothing.
    for (int round = 0; round < 2; ++round) {
      dump.clear();
      auto summary = summarizer.Summarize(ReadFile(folder / "text.txt"), options);
      ASSERT_TRUE(summary.ok()) << folder << summary.status().message();
      EXPECT_EQ(summary->text, ReadFile(folder / "result")) << folder;
      EXPECT_EQ(dump, ReadFile(folder / "dump")) << folder;
      EXPECT_EQ(summary->dictionary_missing, alerts != 0) << folder;
    }
  }
}

TEST(Library, SentencesMapToTheirBytes) {
  struct Case {
    std::string text;
    std::vector<std::string> sentences;
  } cases[] = {
      {"the cat saw the dog.", {"the cat saw the dog."}},
      {"  One cat.\tTwo\r\ndogs here\n", {"One cat.", "Two\r\ndogs here"}},
      {"\xEF\xBB\xBFÄpfel sind gut. 🐝🐝 summt.", {"Äpfel sind gut.", "🐝🐝 summt."}},
      {" \n\t ", {}},
      // ASCII runs of eight bytes and more (skipped eight at a time) between
      // multi-byte characters, at every alignment.
      {"Gr\xC3\xB6\xC3\x9F" "e z\xC3\xA4hlt mehr als alles andere hier. abcdefghijklmnop "
       "\xC3\xA9. qrstuvwxyzabcdefg \xC3\xBC. x\xF0\x9F\x90\x9D" "yzabcdefgh z. Ende.",
       {"Gr\xC3\xB6\xC3\x9F" "e z\xC3\xA4hlt mehr als alles andere hier.",
        "abcdefghijklmnop \xC3\xA9.", "qrstuvwxyzabcdefg \xC3\xBC.",
        "x\xF0\x9F\x90\x9D" "yzabcdefgh z.", "Ende."}},
  };
  const Dictionary dictionary = English();
  for (const Case& c : cases) {
    auto summary = Summarize(dictionary, c.text);
    ASSERT_TRUE(summary.ok()) << c.text << summary.status().message();
    std::vector<std::string> found;
    for (const SummarySentence& s : summary->sentences) {
      found.push_back(c.text.substr(s.start, s.end - s.start));
    }
    EXPECT_EQ(found, c.sentences) << c.text;
  }
}

TEST(Library, BadInputIsAnErrorValueWithItsPlace) {
  struct Case {
    std::string text;
    size_t maxLength;
    StatusCode code;
    size_t offset;
  } cases[] = {
      {"ab\xC3(", 49999, StatusCode::kInvalidUtf8, 2},
      {"\xEF\xBB\xBFok \xC0\xAF", 49999, StatusCode::kInvalidUtf8, 6},
      {"ok\xFF\0"s, 49999, StatusCode::kInvalidUtf8, 2},
      // A NUL is refused where it stands, never taken as the text's end.
      {"ok\0\xFF"s, 49999, StatusCode::kNulInText, 2},
      {"\xEF\xBB\xBF\0"s, 49999, StatusCode::kNulInText, 3},
      {"Cut here. Then\0 hidden. text"s, 49999, StatusCode::kNulInText, 14},
      {"abcd\xC3\xA9", 4, StatusCode::kTextTooLong, 4},
      {"ab\xF0\x9F\x90\x9D", 3, StatusCode::kTextTooLong, 2},
      {"ab\xF0\x9F\x90\x9D", 4, StatusCode::kOk, 0},
      {"abcdef\0ghij"s, 6, StatusCode::kNulInText, 6},
      {std::string(60000, 'a'), 0, StatusCode::kOk, 0},
  };
  const Dictionary dictionary = English();
  for (const Case& c : cases) {
    Options options;
    options.max_length = c.maxLength;
    auto summary = Summarize(dictionary, c.text, options);
    EXPECT_EQ(summary.status().code(), c.code) << c.text.substr(0, 20);
    EXPECT_EQ(summary.status().byte_offset(), c.offset) << c.text.substr(0, 20);
    EXPECT_EQ(summary.ok(), c.code == StatusCode::kOk);
  }
  EXPECT_EQ(Dictionary::ForLanguage("../dic/en").status().code(), StatusCode::kInvalidArgument);
  EXPECT_EQ(Dictionary::ForLanguage("xx").status().code(), StatusCode::kDictionaryUnavailable);
  EXPECT_EQ(Dictionary::Load("/nonexistent/en.xml").status().code(),
            StatusCode::kDictionaryUnavailable);
}

// A loaded dictionary is its contents, not its file: removing or editing
// the file afterwards changes nothing for it.
TEST(Library, ADictionaryOutlivesItsFile) {
  const fs::path copy = fs::temp_directory_path() / "vellumtrace_library_test_en.xml";
  fs::copy_file(fs::path(English().path()), copy, fs::copy_options::overwrite_existing);
  auto dictionary = Dictionary::Load(copy.string());
  ASSERT_TRUE(dictionary.ok());
  const std::string text = "Bees sleep. Bees fly far. Rain falls.";
  auto before = Summarize(*dictionary, text);
  ASSERT_TRUE(before.ok());
  fs::remove(copy);
  auto after = Summarize(*dictionary, text);
  ASSERT_TRUE(after.ok()) << after.status().message();
  EXPECT_EQ(after->text, before->text);
  EXPECT_FALSE(after->dictionary_missing);
  // A malformed file is refused with the reason.
  testing::WriteFile(copy, "<dictionary><linebreak>");
  auto broken = Dictionary::Load(copy.string());
  EXPECT_EQ(broken.status().code(), StatusCode::kDictionaryInvalid);
  EXPECT_NE(broken.status().message().find("not well-formed"), std::string::npos)
      << broken.status().message();
  fs::remove(copy);
}

// The dictionary cache tells file versions apart by device and inode too:
// a file renamed over the dictionary with the same size and time is read
// afresh, and so is an edit in place that changes the time.
TEST(Library, ADictionaryReplacedOnDiskIsReadAfresh) {
  const fs::path dir = fs::temp_directory_path() / ("vellumtrace_replace_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path path = dir / "d.xml";
  // Same size: only the sentence ending differs.
  const std::string dot = "<d><linebreak><e>.</e></linebreak></d>";
  const std::string bang = "<d><linebreak><e>!</e></linebreak></d>";
  const std::string text = "Bees fly! Bees sleep. Rain falls. Sun shines!";
  const struct timespec old[2] = {{1600000000, 0}, {1600000000, 0}};
  const struct {
    const char* name;
    std::string content;
    bool byRename;
    size_t sentences;
  } cases[] = {
      {"first", dot, false, 3},
      {"renamed over, same size and time", bang, true, 2},
      {"renamed back", dot, true, 3},
  };
  for (const auto& c : cases) {
    const fs::path written = c.byRename ? dir / "next.xml" : path;
    testing::WriteFile(written, c.content);
    ASSERT_EQ(utimensat(AT_FDCWD, written.c_str(), old, 0), 0);
    if (c.byRename) fs::rename(written, path);
    auto dictionary = Dictionary::Load(path.string());
    ASSERT_TRUE(dictionary.ok()) << c.name;
    auto summary = Summarize(*dictionary, text);
    ASSERT_TRUE(summary.ok()) << c.name;
    EXPECT_EQ(summary->sentences.size(), c.sentences) << c.name;
  }
  fs::remove_all(dir);
}

// The split's closing word is no keyword and no title word; the HTML keeps
// it where the dumps and the page always had it.
TEST(Library, KeywordsAndTitleHoldOnlyWordsOfTheText) {
  const struct {
    std::string text;
    size_t titleWords;
  } cases[] = {
      {"Cats sleep. Dogs bark.", 4},
      {"Bees.", 1},
      {"One.", 0},  // a grader term: no keyword at all
      {"", 0},
      {ReadFile(testing::SourceDir() / "samples" / "bees.txt"), 5},
  };
  for (const auto& c : cases) {
    auto summary = Summarize(English(), c.text);
    ASSERT_TRUE(summary.ok());
    for (const Keyword& k : summary->keywords) EXPECT_NE(k.word, " ") << c.text;
    EXPECT_EQ(summary->title.size(), c.titleWords) << c.text;
    for (size_t i = 0; i < summary->title.size(); ++i) {
      EXPECT_EQ(summary->title[i], summary->keywords[i].word) << c.text;
    }
  }
}

TEST(Library, JsonCarriesTheTextFormAndTheRunsFindings) {
  const std::string text = ReadFile(testing::SourceDir() / "samples" / "bees.txt");
  const Dictionary dictionary = English();
  auto plain = Summarize(dictionary, text);
  Options options;
  options.format = Format::kJson;
  auto json = Summarize(dictionary, text, options);
  ASSERT_TRUE(plain.ok() && json.ok());
  const auto parsed = nlohmann::json::parse(json->text);
  EXPECT_EQ(parsed["summary"], plain->text);
  ASSERT_EQ(parsed["sentences"].size(), plain->sentences.size());
  size_t selected = 0;
  for (size_t i = 0; i < plain->sentences.size(); ++i) {
    EXPECT_EQ(parsed["sentences"][i]["start"], plain->sentences[i].start);
    EXPECT_EQ(parsed["sentences"][i]["selected"], plain->sentences[i].selected);
    selected += plain->sentences[i].selected;
  }
  EXPECT_GT(selected, 0u);
  EXPECT_LT(selected, plain->sentences.size());
  ASSERT_GE(plain->keywords.size(), 5u);
  EXPECT_EQ(parsed["keywords"][0]["word"], plain->keywords[0].word);
  EXPECT_EQ(plain->title.size(), 5u);
  EXPECT_EQ(parsed["title"].size(), plain->title.size());
  EXPECT_EQ(parsed["keywords"].size(), plain->keywords.size());
  for (size_t i = 0; i < plain->title.size(); ++i) EXPECT_EQ(plain->title[i], plain->keywords[i].word);
  for (size_t i = 1; i < plain->keywords.size(); ++i) {
    EXPECT_GE(plain->keywords[i - 1].count, plain->keywords[i].count);
  }
}

TEST(Library, OneDictionaryServesManyThreads) {
  const std::string text = ReadFile(testing::SourceDir() / "samples" / "lighthouse.txt");
  const Dictionary dictionary = English();
  const std::string expected = Summarize(dictionary, text)->text;
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&] {
      for (int i = 0; i < 20; ++i) result = Summarize(dictionary, text)->text;
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
}  // namespace vellumtrace
