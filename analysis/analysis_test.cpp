// Tokenizer, splitter, stemmer and word list, driven by rule lists set
// directly on the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/tokenizer.h"
#include "dictionary/rewrite_rule.h"
#include "engine/summarizer_engine.h"
#include "tests/support/recording_services.h"

namespace vellumtrace {
namespace {

using Sentences = std::vector<std::vector<std::u16string>>;

Sentences WordsOf(const SummarizerEngine& engine) {
  Sentences out;
  for (const auto& s : engine.m_sentences) {
    out.emplace_back();
    for (const auto& w : s->words) out.back().push_back(w->word);
    EXPECT_EQ(s->wordCount, static_cast<int64_t>(s->words.size()));
    for (const auto& w : s->words) {
      EXPECT_TRUE(w->stem.empty());
      EXPECT_EQ(w->count, 0);
    }
  }
  return out;
}

TEST(Tokenizer, WhiteSpaceIsExactlySixCharacters) {
  for (char32_t c = 0; c <= 0xFFFF; ++c) {
    const bool expected = c == 9 || c == 10 || c == 11 || c == 12 || c == 13 || c == 32;
    EXPECT_EQ(IsSpaceChar(static_cast<char16_t>(c)), expected) << "U+" << std::hex << static_cast<uint32_t>(c);
  }
  std::vector<std::u16string> tokens{u"stale"};
  Tokenize(u"  A \t b\r\n\vc\fd\u00A0e\u0085f  ", tokens);
  EXPECT_EQ(tokens, (std::vector<std::u16string>{u"A", u"b", u"c", u"d\u00A0e\u0085f"}));
  Tokenize(u" \t\r\n", tokens);
  EXPECT_TRUE(tokens.empty());
}

TEST(Splitter, SentenceEndsFollowTheDictionary) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> breaks;
    std::vector<std::u16string> dontBreaks;
    Sentences expected;
  };
  const std::vector<Case> cases = {
      {"empty", u"", {u"."}, {}, {{u" "}}},
      {"white space only", u" \t\r\n ", {u"."}, {}, {{u" "}}},
      {"hello world.", u"Hello world.", {u"."}, {}, {{u"Hello", u"world."}, {u" "}}},
      {"no ending", u"Hello world", {u"."}, {}, {{u"Hello", u"world", u" "}}},
      {"separators", u"A  b\tc\nd", {u"."}, {}, {{u"A", u"b", u"c", u"d", u" "}}},
      {"punctuation kept", u"(see p. 4),", {u"."}, {},
       {{u"(see", u"p."}, {u"4),", u" "}}},
      {"dont break is exact", u"Mr. (Mr. MR. mr. x", {u"."}, {u"Mr."},
       {{u"Mr.", u"(Mr.", u"MR."}, {u"mr."}, {u"x", u" "}}},
      {"empty break ending", u"a b", {u""}, {}, {{u"a"}, {u"b"}, {u" "}}},
      {"empty dont-break ending", u"a. b.", {u"."}, {u""}, {{u"a.", u"b.", u" "}}},
      {"long ending", u"a.", {u"xa."}, {}, {{u"a.", u" "}}},
      {"no-break space", u"a\u00A0b.", {u"."}, {}, {{u"a\u00A0b."}, {u" "}}},
      {"two ends", u"Yes. No.", {u"."}, {}, {{u"Yes."}, {u"No."}, {u" "}}},
      {"no dictionary", u"One. Two.", {}, {}, {{u"One.", u"Two.", u" "}}},
      {"dont break wins whatever the length", u"etc.! x", {u".!"}, {u"!"},
       {{u"etc.!", u"x", u" "}}},
  };
  for (const Case& c : cases) {
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    engine.m_dictionary.m_linebreak = c.breaks;
    engine.m_dictionary.m_linedontbreak = c.dontBreaks;
    engine.SetText(c.text);
    engine.SplitText();
    EXPECT_EQ(WordsOf(engine), c.expected) << c.name;
  }
}

TEST(RewriteRule, SplitsAtTheFirstBarAndRewritesEnds) {
  EXPECT_EQ(SplitRule(u"a|b|c").match, u"a");
  EXPECT_EQ(SplitRule(u"a|b|c").replacement, u"b|c");
  EXPECT_EQ(SplitRule(u"ing").match, u"ing");
  EXPECT_EQ(SplitRule(u"ing").replacement, u"");
  EXPECT_EQ(SplitRule(u"|").match, u"");
  EXPECT_EQ(ReplaceSuffix(u"parties", u"ies", u"y"), u"party");
  EXPECT_FALSE(ReplaceSuffix(u"es", u"ies", u"y"));
  EXPECT_EQ(ReplaceSuffix(u"ies", u"ies", u"y"), u"y");
  EXPECT_EQ(ReplacePrefix(u"((see", u"(", u""), u"(see");
  EXPECT_FALSE(ReplacePrefix(u"(", u"((", u""));
  EXPECT_EQ(ReplacePrefix(u"word", u"", u"x"), u"xword");
}

TEST(Stemmer, RulesChainOnceEachPrefixesFirst) {
  struct Case {
    const char* name;
    std::vector<std::u16string> pre;
    std::vector<std::u16string> post;
    std::u16string word;
    std::u16string stem;
  };
  const std::u16string longMatch(300, u'x');
  const std::vector<Case> cases = {
      {"no rules", {}, {}, u"Running,", u"Running,"},
      {"comma", {}, {u","}, u"end,", u"end"},
      {"comma absent", {}, {u","}, u"end", u"end"},
      {"comma alone", {}, {u","}, u",", u""},
      {"ies", {}, {u"ies|y"}, u"parties", u"party"},
      {"case-sensitive", {}, {u"ies|y"}, u"PARTIES", u"PARTIES"},
      {"paren once", {u"(|"}, {}, u"((see", u"(see"},
      {"s then e", {}, {u"s", u"e"}, u"cases", u"cas"},
      {"e then s", {}, {u"e", u"s"}, u"cases", u"case"},
      {"prefix before suffix", {u"x|a"}, {u"a|y"}, u"x", u"y"},
      {"append", {}, {u"|x"}, u"w", u"wx"},
      {"bar alone", {u"|"}, {u"|"}, u"w", u"w"},
      {"whole word", {}, {u"word|stem"}, u"word", u"stem"},
      {"longer than word", {}, {u"words"}, u"word", u"word"},
      {"single space word", {}, {u" |sp"}, u" ", u"sp"},
      {"parts over 255 used whole", {}, {longMatch + u"|" + longMatch + u"y"},
       u"a" + longMatch, u"a" + longMatch + u"y"},
  };
  for (const Case& c : cases) {
    LanguageDictionary dictionary;
    dictionary.m_step1_pre = c.pre;
    dictionary.m_step1_post = c.post;
    EXPECT_EQ(dictionary.Stem(c.word), c.stem) << c.name;
    // The split rules are cached: a reload must not keep the old ones.
    dictionary.Clear();
    EXPECT_EQ(dictionary.Stem(c.word), c.word) << c.name << " after Clear";
  }
}

TEST(WordList, CountsByStemInOrderOfFirstOccurrence) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> post;
    std::vector<std::tuple<std::u16string, std::u16string, int64_t>> expected;
  };
  const std::vector<Case> cases = {
      {"the cat", u"the cat saw the dog.", {},
       {{u"the", u"the", 2}, {u"cat", u"cat", 1}, {u"saw", u"saw", 1},
        {u"dog.", u"dog.", 1}, {u" ", u" ", 1}}},
      {"case and punctuation", u"The the dog dog.", {},
       {{u"The", u"The", 1}, {u"the", u"the", 1}, {u"dog", u"dog", 1},
        {u"dog.", u"dog.", 1}, {u" ", u" ", 1}}},
      {"cats cat", u"cats cat", {u"s"}, {{u"cats", u"cat", 2}, {u" ", u" ", 1}}},
      {"cat cats", u"cat cats", {u"s"}, {{u"cat", u"cat", 2}, {u" ", u" ", 1}}},
      {"cats cats", u"cats cats", {u"s"}, {{u"cats", u"cat", 2}, {u" ", u" ", 1}}},
      {"empty", u"", {}, {{u" ", u" ", 1}}},
      {"empty stems", u"ab cd", {u"ab", u"cd"}, {{u"ab", u"", 2}, {u" ", u" ", 1}}},
  };
  for (const Case& c : cases) {
    testing::RecordingPlatform platform;
    SummarizerEngine engine(platform.Services());
    engine.m_dictionary.m_step1_post = c.post;
    engine.m_dictionary.m_linebreak = {u"."};
    engine.SetText(c.text);
    engine.SplitText();
    engine.BuildWordList();
    std::vector<std::tuple<std::u16string, std::u16string, int64_t>> got;
    for (const auto& e : engine.m_wordList) got.emplace_back(e->word, e->stem, e->count);
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace vellumtrace
