// The library's reading of a run, against the dictionary itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "library/engine_adapter.h"
#include "tests/support/command_runner.h"
#include "tests/support/test_paths.h"
#include "text/utf_codec.h"
#include "vellumtrace/summarize.h"

namespace vellumtrace {
namespace {

using testing::ReadFile;

// Each keyword against the dictionary itself: the stem of its word, the
// first word of the text with that stem, and that stem's occurrences. The
// rows put words where the stem is read from the word (after a stripped
// mark, or after it with a capital lowered) and where it is not (a
// rewritten end), and a character other than
// ASCII at each end of a word, both in the middle of a text and at its end.
TEST(EngineAdapter, EachKeywordIsTheFirstWordOfItsStem) {
  auto dictionary =
      Dictionary::Load((testing::SourceDir() / "tests/golden/stemming_and_grading/dictionary.xml").string());
  ASSERT_TRUE(dictionary.ok());
  const CompiledDictionary& rules = *DictionaryAccess::Of(*dictionary).compiled;
  const std::string tail = " and the rest of a sentence of filler words.";
  const std::string cases[] = {
      ReadFile(testing::SourceDir() / "tests/golden/stemming_and_grading/text.txt"),
      "(parties) \"cities\" Tables tables (Tables. city abcdefghijklmnop qrstuvwxyzabcde" + tail,
      "\xC3\xA9t\xC3\xA9s abcdefghijklmno\xC3\xA9 pqrstuvwxyzabcdef \"\xC3\xA9" "clairs\" na\xC3\xAF" "ve" + tail,
      "(abcdefghijklmnop) qrstuvwxyzabcdeF\xC3\xA9 \xF0\x9D\x84\x9E" "notes (\xC3\xA9t\xC3\xA9s",
      "x" + tail + " \xC3\xA9t\xC3\xA9s, abcdefghijklmno\xC3\xA9",
      "Cats (Dogs \"Birds\" Cities, \xC3\x9C" "ber Tables Cats dogs TIDES Tidings" + tail,
  };
  for (const std::string& text : cases) {
    auto summary = Summarizer(*dictionary).Summarize(text);
    ASSERT_TRUE(summary.ok()) << text;
    std::u16string whole;
    ASSERT_TRUE(DecodeUtf8(text, &whole, nullptr));
    std::vector<std::u16string> words;
    for (size_t at = 0; at < whole.size();) {
      const size_t end = std::min(whole.find_first_of(u" \t\n\v\f\r", at), whole.size());
      if (end > at) words.push_back(whole.substr(at, end - at));
      at = end + 1;
    }
    std::map<std::u16string, std::pair<std::u16string, int64_t>> byStem;  // first word, count
    for (const std::u16string& word : words) {
      auto& entry = byStem[rules.Stem(word)];
      if (entry.second++ == 0) entry.first = word;
    }
    std::erase_if(byStem, [&](const auto& entry) { return rules.IsGraderTerm(entry.first); });
    EXPECT_EQ(summary->keywords.size(), byStem.size()) << text;
    for (const Keyword& keyword : summary->keywords) {
      std::u16string word;
      ASSERT_TRUE(DecodeUtf8(keyword.word, &word, nullptr)) << text;
      const std::u16string stem = rules.Stem(word);
      EXPECT_EQ(keyword.stem, EncodeUtf8(stem)) << text;
      ASSERT_TRUE(byStem.contains(stem)) << keyword.word;
      EXPECT_EQ(keyword.word, EncodeUtf8(byStem[stem].first)) << text;
      EXPECT_EQ(keyword.count, byStem[stem].second) << keyword.word;
    }
  }
}

}  // namespace
}  // namespace vellumtrace
