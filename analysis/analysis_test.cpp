// Tokenizer, splitter, stemmer and word list, driven by dictionaries
// compiled from hand-made lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/tokenizer.h"
#include "dictionary/rewrite_rule.h"
#include "analysis/article.h"
#include "analysis/text_table.h"
#include "analysis/token_memo.h"
#include "dictionary/compiled_dictionary.h"

namespace vellumtrace {
namespace {

using Sentences = std::vector<std::vector<std::u16string>>;

Sentences WordsOf(const Article& article) {
  Sentences out;
  size_t next = 0;
  for (const SentenceSpan& s : article.sentences) {
    EXPECT_EQ(s.firstWord, next);
    next += s.wordCount;
    out.emplace_back();
    for (size_t w = s.firstWord; w < s.firstWord + s.wordCount; ++w) {
      out.back().emplace_back(article.Word(w));
    }
  }
  EXPECT_EQ(next, article.words.size());
  return out;
}

std::shared_ptr<const CompiledDictionary> Rules(LanguageDictionary lists) {
  return std::make_shared<const CompiledDictionary>(std::move(lists));
}

Article Analysed(std::u16string text, const CompiledDictionary& dictionary) {
  Article article;
  article.text = std::move(text);
  AnalyseText(article, dictionary);
  return article;
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
    LanguageDictionary lists;
    lists.m_linebreak = c.breaks;
    lists.m_linedontbreak = c.dontBreaks;
    EXPECT_EQ(WordsOf(Analysed(c.text, *Rules(lists))), c.expected) << c.name;
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
      {"edge changes between buckets", {u"a|b", u"b|c", u"a|z"}, {u"x|y", u"y|", u"|q", u"q|x"},
       u"ax", u"cx"},
      {"empty word meets empty matches only", {}, {u"w", u"|e", u"e|"}, u"w", u""},
      {"parts over 255 used whole", {}, {longMatch + u"|" + longMatch + u"y"},
       u"a" + longMatch, u"a" + longMatch + u"y"},
  };
  for (const Case& c : cases) {
    LanguageDictionary lists;
    lists.m_step1_pre = c.pre;
    lists.m_step1_post = c.post;
    const auto dictionary = Rules(lists);
    EXPECT_EQ(dictionary->Stem(c.word), c.stem) << c.name;
    // The compiled rules give what one walk of the lists in order gives.
    std::u16string walked(c.word);
    for (const auto& entry : c.pre) {
      const RewriteRule rule = SplitRule(entry);
      if (auto r = ReplacePrefix(walked, rule.match, rule.replacement)) walked = *r;
    }
    for (const auto& entry : c.post) {
      const RewriteRule rule = SplitRule(entry);
      if (auto r = ReplaceSuffix(walked, rule.match, rule.replacement)) walked = *r;
    }
    EXPECT_EQ(walked, c.stem) << c.name;
  }
}

TEST(WordList, CountsByStemInOrderOfFirstOccurrence) {
  struct Case {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> post;
    std::vector<std::tuple<std::u16string, std::u16string, int64_t>> expected;
  };
  std::vector<Case> cases = {
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
  // More stems than a run's first room for them, the first counted again
  // at the end.
  Case many{"3000 stems", u"", {}, {}};
  for (int i = 0; i < 3000; ++i) {
    const std::string narrow = "w" + std::to_string(i);
    const std::u16string word(narrow.begin(), narrow.end());
    many.text += word + u' ';
    many.expected.emplace_back(word, word, i == 0 ? 2 : 1);
  }
  many.text += u"w0";
  many.expected.emplace_back(u" ", u" ", 1);
  cases.push_back(many);
  for (const Case& c : cases) {
    LanguageDictionary lists;
    lists.m_step1_post = c.post;
    lists.m_linebreak = {u"."};
    const Article article = Analysed(c.text, *Rules(lists));
    std::vector<std::tuple<std::u16string, std::u16string, int64_t>> got;
    for (TextTable::Id id = 0; id < article.StemCount(); ++id) {
      got.emplace_back(article.EntryWord(id), article.StemText(id), article.stemCounts[id]);
    }
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

// The word list as (entry word, stem, count) and the sentences as words.
std::pair<std::vector<std::tuple<std::u16string, std::u16string, int64_t>>, Sentences> Listed(
    const Article& article) {
  std::vector<std::tuple<std::u16string, std::u16string, int64_t>> list;
  for (TextTable::Id id = 0; id < article.StemCount(); ++id) {
    list.emplace_back(article.EntryWord(id), article.StemText(id), article.stemCounts[id]);
  }
  return {list, WordsOf(article)};
}

// One memo through texts that share words, with a change of dictionary and
// a change back: each analysis equals one with a memo of its own.
TEST(WordList, AMemoKeptAcrossTextsChangesNoAnalysis) {
  LanguageDictionary plural;
  plural.m_step1_post = {u"s"};
  plural.m_linebreak = {u"."};
  LanguageDictionary verbs;
  verbs.m_step1_post = {u"ed", u"s"};
  verbs.m_linebreak = {u"!"};
  const auto a = Rules(plural);
  const auto b = Rules(verbs);
  const std::vector<std::pair<std::u16string, std::shared_ptr<const CompiledDictionary>>> runs = {
      {u"cats walked. dogs walked home.", a},
      {u"home dogs. cats walked walks!", a},   // every token known, ids anew
      {u"new words then cats.", a},            // known and unknown mixed
      {u"", a},
      {u"cats walked! dogs walked. home", b},  // same tokens, other facts
      {u"cats walked! dogs", a},               // and back
  };
  TokenMemo memo;
  for (const auto& [text, dictionary] : runs) {
    Article kept;
    kept.text = text;
    memo.Bind(dictionary);
    AnalyseText(kept, memo);
    const Article fresh = Analysed(text, *dictionary);
    EXPECT_EQ(Listed(kept), Listed(fresh)) << std::string(text.begin(), text.end());
  }
}

// A text of many stems grows the memo's scratch for a run; the memo, which
// may be kept for the process's life, does not keep that room, and the
// next run starts from a clean scratch.
TEST(WordList, ALargeTextLeavesNoLargeScratchInTheMemo) {
  LanguageDictionary lists;
  lists.m_linebreak = {u"."};
  const auto dictionary = Rules(lists);
  std::u16string many;
  for (int i = 0; i < 40000; ++i) {
    const std::string word = "w" + std::to_string(i) + " ";
    many.append(word.begin(), word.end());
  }
  TokenMemo memo;
  memo.Bind(dictionary);
  for (const std::u16string& text : {many, std::u16string(u"w7 w1 w7.")}) {
    Article article;
    article.text = text;
    AnalyseText(article, memo);
    EXPECT_EQ(Listed(article), Listed(Analysed(text, *dictionary))) << text.size();
    EXPECT_LT(memo.RunStemDrafts().capacity() * sizeof(TokenMemo::StemDraft), size_t{1} << 20);
  }
}

// Texts of 2^32 units and more keep each word's high offset bits aside.
TEST(WordList, OffsetsPastFourGigaUnitsSurvive) {
  const std::vector<size_t> offsets = {0, 7, 0xFFFF'FFFF, size_t{1} << 32, (size_t{1} << 32) + 9,
                                       (size_t{3} << 32) + 1, (size_t{3} << 32) + 2};
  Article article;
  for (size_t i = 0; i < offsets.size(); ++i) article.AddWord(offsets[i], 0);
  for (size_t i = 0; i < offsets.size(); ++i) EXPECT_EQ(article.WordOffset(i), offsets[i]) << i;
}

TEST(TextTable, DenseIdsInOrderAndAMovedTableStillFinds) {
  TextTable table;
  EXPECT_EQ(table.Find(u"a"), TextTable::kAbsent);
  const std::vector<std::u16string> texts = {u"alpha", u"", u"be", u"alphabet", u"\U0001F600x"};
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(table.Intern(texts[i]), i);
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(table.Intern(texts[i]), i);
  TextTable moved = std::move(table);
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(moved.Find(texts[i]), i);
    EXPECT_EQ(moved.Text(static_cast<TextTable::Id>(i)), texts[i]);
  }
  EXPECT_EQ(moved.Find(u"alph"), TextTable::kAbsent);
  EXPECT_EQ(moved.Intern(u"alph"), texts.size());
}

}  // namespace
}  // namespace vellumtrace

namespace vellumtrace {
namespace {

// The memo keeps at most its bound of tokens from run to run: one more,
// and the next run starts afresh; a new dictionary always does.
TEST(TokenMemo, StartsAfreshPastItsBoundOrWithAnotherDictionary) {
  LanguageDictionary lists;
  lists.m_step1_post = {u"s"};
  const auto dictionary = Rules(lists);
  const auto other = Rules(lists);
  const struct {
    size_t tokens;
    std::shared_ptr<const CompiledDictionary> next;
    size_t kept;
  } cases[] = {
      {TokenMemo::kMostTokens, dictionary, TokenMemo::kMostTokens},
      {TokenMemo::kMostTokens + 1, dictionary, 0},
      {10, other, 0},
      {10, dictionary, 10},
  };
  for (const auto& c : cases) {
    TokenMemo memo;
    memo.Bind(dictionary);
    for (size_t i = 0; i < c.tokens; ++i) {
      const std::string digits = std::to_string(i);
      memo.FactsOf(std::u16string(digits.begin(), digits.end()));
    }
    ASSERT_EQ(memo.TokenCount(), c.tokens);
    memo.Bind(c.next);
    EXPECT_EQ(memo.TokenCount(), c.kept) << c.tokens << " tokens";
  }
}

}  // namespace
}  // namespace vellumtrace

namespace vellumtrace {
namespace {

// The four-units-at-a-time scans against a unit-by-unit one, from every
// start of short random texts whose units lie on both sides of each limit
// and of the lanes' sign bit.
TEST(UnitScan, FindsWhatAUnitByUnitScanFinds) {
  const char16_t units[] = {0x00, 0x01,   0x09,   0x0D,   0x1F,   u' ',
                            u'!', u'a',   0x7FFF, 0x8000, 0x8021, 0xFFFF};
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(random() % 14, u'x');
    for (char16_t& unit : text) {
      if (random() % 3 == 0) unit = units[random() % std::size(units)];
    }
    for (size_t from = 0; from <= text.size(); ++from) {
      size_t space = from;
      while (space < text.size() && !IsSpaceChar(text[space])) ++space;
      ASSERT_EQ(TokenEnd(text, from), space) << round << " from " << from;
      for (const char16_t limit : {u'\x01', u'!', u'\x8000'}) {
        size_t below = from;
        while (below < text.size() && text[below] >= limit) ++below;
        ASSERT_EQ(FirstUnitBelow(text, from, limit), below) << round << " limit " << int{limit};
      }
    }
  }
}

// Tokens that share their first or last four (or eight) units, or differ
// only in length, each keep their own facts: every token over {a, b, ., NUL}
// of one to seven units and samples of eight to nineteen, learnt in two
// orders.
TEST(TokenMemo, EachTokenKeepsItsOwnFacts) {
  LanguageDictionary lists;
  lists.m_linebreak = {u"."};
  const auto dictionary = Rules(lists);  // no rules: every token is its own stem
  std::vector<std::u16string> tokens;
  // U+0000 too, which short keys pad with.
  const std::u16string units(u"ab.\0", 4);
  for (size_t length = 1; length <= 7; ++length) {
    for (size_t n = 0, count = static_cast<size_t>(std::pow(4, length)); n < count; ++n) {
      std::u16string token;
      for (size_t i = 0, k = n; i < length; ++i, k /= 4) token += units[k % 4];
      tokens.push_back(token);
    }
  }
  // Eight to nineteen units: random tokens and their one-unit variants,
  // the near neighbours that a key leaving a unit out would merge.
  std::mt19937 random(11);
  for (size_t length = 8; length <= 19; ++length) {
    for (int base = 0; base < 4; ++base) {
      std::u16string token(length, u'a');
      for (char16_t& unit : token) unit = u"ab."[random() % 3];
      if (base % 2 == 0) token[random() % length] = 0x8000;
      tokens.push_back(token);
      for (size_t at = 0; at < length; ++at) {
        tokens.push_back(token);
        tokens.back()[at] = token[at] == u'a' ? u'b' : u'a';
      }
    }
  }
  for (const bool reversed : {false, true}) {
    TokenMemo memo;
    memo.Bind(dictionary);
    std::vector<std::u16string> order = tokens;
    if (reversed) std::reverse(order.begin(), order.end());
    // Each pass frames the tokens in other text: a key must read the
    // token's units and nothing around them.
    for (const char16_t frame : {u'x', u'y'}) {
      for (const std::u16string& token : order) {
        const std::u16string framed = std::u16string(16, frame) + token + std::u16string(16, frame);
        const TokenFacts facts = memo.FactsOf(std::u16string_view(framed).substr(16, token.size()));
        ASSERT_EQ(memo.Stems()->Text(facts.stem), token);
        ASSERT_EQ(facts.endsSentence, token.ends_with(u'.')) << reversed;
      }
    }
    std::sort(order.begin(), order.end());
    EXPECT_EQ(memo.TokenCount(), static_cast<size_t>(std::unique(order.begin(), order.end()) -
                                                     order.begin()));
  }
}

}  // namespace
}  // namespace vellumtrace
