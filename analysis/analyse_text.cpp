// Splitting, stemming and counting in one pass over the text: tokens are
// views into the text, and each distinct token is stemmed and tested for a
// sentence end once.
#include <algorithm>
#include <string>

#include "analysis/article.h"
#include "analysis/text_arena.h"
#include "analysis/tokenizer.h"
#include "dictionary/compiled_dictionary.h"
#include "engine/hash_table.h"
#include "text/large_buffer.h"

namespace vellumtrace {

namespace {

struct TokenFacts {
  StemTable::Id stem = 0;
  bool endsSentence = false;
};

class Analyser {
 public:
  Analyser(Article& article, const CompiledDictionary& dictionary)
      : m_article(article), m_dictionary(dictionary) {}

  void Run() {
    const std::u16string_view text = m_article.text;
    // Distinct tokens grow ever slower than the text; a guess that saves
    // the early rehashes of the two tables.
    const size_t expected = std::min<size_t>(text.size() / 8 + 16, size_t{1} << 16);
    m_tokens.reserve(expected);
    // At most one word per two units, plus the closing one: reserved once,
    // the pages only count as they fill, and no regrowth copies the list.
    ReserveLarge(m_article.words, text.size() / 2 + 2);
    m_article.stems.Reserve(expected);
    m_article.sentences.push_back({0, 0});
    size_t start = 0;
    while (start < text.size()) {
      while (start < text.size() && IsSpaceChar(text[start])) ++start;
      size_t stop = start;
      while (stop < text.size() && !IsSpaceChar(text[stop])) ++stop;
      if (stop == start) break;
      const TokenFacts facts = FactsOf(text.substr(start, stop - start));
      AddWord(start, facts.stem);
      if (facts.endsSentence) m_article.sentences.push_back({m_article.words.size(), 0});
      start = stop;
    }
    // Every split ends with a single-space word; later stages count it.
    m_dictionary.Stem(u" ", m_scratch);
    AddWord(text.size(), Intern(m_scratch));
  }

 private:
  TokenFacts FactsOf(std::u16string_view token) {
    // Most tokens repeat, so a second hash on a new one costs little. The
    // key is a copy in an arena, where the distinct tokens lie together
    // rather than scattered over a text that may dwarf the caches.
    if (const auto known = m_tokens.find(token); known != m_tokens.end()) return known->second;
    m_dictionary.Stem(token, m_scratch);
    const TokenFacts facts{Intern(m_scratch), m_dictionary.IsSentenceBreak(token)};
    m_tokens.emplace(m_tokenTexts.Store(token), facts);
    return facts;
  }

  StemTable::Id Intern(std::u16string_view stem) {
    const StemTable::Id id = m_article.stems.Intern(stem);
    if (id == m_article.stemCounts.size()) {
      m_article.stemCounts.push_back(0);
      m_article.stemFirstWord.push_back(m_article.words.size());
    }
    return id;
  }

  void AddWord(size_t offset, StemTable::Id stem) {
    m_article.AddWord(offset, stem);
    ++m_article.sentences.back().wordCount;
    ++m_article.stemCounts[stem];
  }

  Article& m_article;
  const CompiledDictionary& m_dictionary;
  HashMap<std::u16string_view, TokenFacts, U16Hash, U16Equal> m_tokens;
  TextArena m_tokenTexts;
  std::u16string m_scratch;
};

}  // namespace

void AnalyseText(Article& article, const CompiledDictionary& dictionary) {
  Analyser(article, dictionary).Run();
}

}  // namespace vellumtrace
