// Splitting, stemming and counting in one pass over the text: tokens are
// views into the text, and what the dictionary makes of each distinct
// token comes from the memo, which learns it once.
#include <memory>
#include <string>
#include <vector>

#include "analysis/article.h"
#include "analysis/token_memo.h"
#include "analysis/tokenizer.h"
#include "dictionary/compiled_dictionary.h"
#include "text/large_buffer.h"

namespace vellumtrace {

namespace {

class Analyser {
 public:
  Analyser(Article& article, TokenMemo& memo)
      : m_article(article), m_memo(memo), m_runStemIds(memo.RunStemIds()) {}

  ~Analyser() {
    // The scratch goes back all kAbsent, for the next run.
    for (const TextTable::Id id : m_article.stemIds) m_runStemIds[id] = TextTable::kAbsent;
  }

  void Run() {
    const std::u16string_view text = m_article.text;
    // At most one word per two units, plus the closing one: reserved once,
    // the pages only count as they fill, and no regrowth copies the list.
    ReserveLarge(m_article.words, text.size() / 2 + 2);
    m_article.sentences.push_back({0, 0});
    size_t start = 0;
    while (true) {
      while (start < text.size() && IsSpaceChar(text[start])) ++start;
      if (start >= text.size()) break;
      const size_t stop = TokenEnd(text, start);
      const TokenFacts facts = m_memo.FactsOf(text.substr(start, stop - start));
      AddWord(start, stop - start, facts);
      if (facts.endsSentence) CloseSentence();
      start = stop + 1;  // past the white space unit that ended the token
    }
    // Every split ends with a single-space word; later stages count it.
    AddWord(text.size(), 1, m_memo.ClosingWordFacts());
    CountLastSentence();
    m_article.stemTexts = m_memo.Stems();
  }

 private:
  // A sentence's words are counted when it closes, not word by word.
  void CountLastSentence() {
    SentenceSpan& last = m_article.sentences.back();
    last.wordCount = m_article.words.size() - last.firstWord;
  }
  void CloseSentence() {
    CountLastSentence();
    m_article.sentences.push_back({m_article.words.size(), 0});
  }

  // Counts a word under the run's id of its stem.
  void AddWord(size_t offset, size_t units, const TokenFacts& facts) {
    TextTable::Id id = m_runStemIds[facts.stem];
    if (id == TextTable::kAbsent) [[unlikely]] id = NewStem(facts, units);
    m_article.AddWord(offset, id);
    ++m_article.stemCounts[id];
  }

  // A stem new to the run takes the next id, so run ids follow first
  // occurrence.
  [[gnu::noinline]] TextTable::Id NewStem(TokenFacts facts, size_t units) {
    const TextTable::Id memoStem = facts.stem;
    const auto id = static_cast<TextTable::Id>(m_article.stemIds.size());
    m_runStemIds[memoStem] = id;
    m_article.stemIds.push_back(memoStem);
    m_article.stemCounts.push_back(0);
    m_article.stemFirstWord.push_back(m_article.words.size());
    m_article.stemFirstWordUnits.push_back(units);
    m_article.stemInFirstWord.push_back(facts.InToken());
    m_article.stemIsGraderTerm.push_back(m_memo.IsGraderTerm(memoStem) ? 1 : 0);
    return id;
  }

  Article& m_article;
  TokenMemo& m_memo;
  std::vector<TextTable::Id>& m_runStemIds;
};

}  // namespace

void AnalyseText(Article& article, TokenMemo& memo) { Analyser(article, memo).Run(); }

void AnalyseText(Article& article, const CompiledDictionary& dictionary) {
  TokenMemo memo;
  // Not owned: the memo lives only for this call.
  memo.Bind(std::shared_ptr<const CompiledDictionary>(std::shared_ptr<void>(), &dictionary));
  AnalyseText(article, memo);
}

}  // namespace vellumtrace
