// Splitting, stemming and counting in one pass over the text: tokens are
// views into the text, and what the dictionary makes of each distinct
// token comes from the memo, which learns it once.
#include <cstddef>
#include <cstdint>
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
      : m_article(article),
        m_memo(memo),
        m_runStemIds(memo.RunStemIds()),
        m_drafts(memo.RunStemDrafts()),
        m_counts(memo.RunStemCounts()) {}

  ~Analyser() {
    // The scratch goes back all kAbsent, for the next run, however the
    // run ended.
    for (size_t id = 0; id < m_stemCount; ++id) {
      m_runStemIds[m_drafts[id].facts.stem] = TextTable::kAbsent;
    }
    // The drafts' room stays for the next run, unless a large text grew it:
    // the memo, and with it the room, may outlive many runs.
    if (m_drafts.size() > kMostKeptDrafts) {
      m_drafts = std::vector<TokenMemo::StemDraft>();
      m_counts = std::vector<int64_t>();
    }
  }

  void Run() {
    const std::u16string_view text = m_article.text;
    // At most one word per two units, plus the closing one: reserved once,
    // the pages only count as they fill, and no regrowth copies the list.
    ReserveLarge(m_article.words, text.size() / 2 + 2);
    if (m_drafts.size() < kFirstDrafts) Grow(kFirstDrafts);
    m_article.sentences.push_back({0, 0});
    // What AddWord changes, in registers.
    Drafts drafts{m_drafts.data(), m_counts.data(), 0};
    // In batches, two loops: the first splits and looks the tokens up, the
    // second counts them. Kept apart, the look-ups of one batch, which miss
    // the caches in a large memo, do not wait on one another's counting.
    Pending batch[kBatch];
    size_t start = 0;
    while (start < text.size()) {
      size_t tokens = 0;
      while (tokens < kBatch) {
        while (start < text.size() && IsSpaceChar(text[start])) ++start;
        if (start >= text.size()) break;
        const size_t stop = TokenEnd(text, start);
        batch[tokens++] = {start, stop - start, m_memo.FactsOf(text.substr(start, stop - start))};
        start = stop + 1;  // past the white space unit that ended the token
      }
      for (size_t i = 0; i < tokens; ++i) {
        AddWord(drafts, batch[i].start, batch[i].units, batch[i].facts);
        if (batch[i].facts.endsSentence) CloseSentence();
      }
    }
    // Every split ends with a single-space word; later stages count it.
    AddWord(drafts, text.size(), 1, m_memo.ClosingWordFacts());
    CountLastSentence();
    TakeStems();
    m_article.stemTexts = m_memo.Stems();
  }

 private:
  static constexpr size_t kFirstDrafts = 1024;
  static constexpr size_t kMostKeptDrafts = 16 * 1024;
  static constexpr size_t kBatch = 64;

  struct Pending {
    size_t start;
    size_t units;
    TokenFacts facts;
  };

  struct Drafts {
    TokenMemo::StemDraft* first;
    int64_t* counts;
    size_t count;
  };

  // A sentence's words are counted when it closes, not word by word.
  void CountLastSentence() {
    SentenceSpan& last = m_article.sentences.back();
    last.wordCount = m_article.words.size() - last.firstWord;
  }
  void CloseSentence() {
    CountLastSentence();
    m_article.sentences.push_back({m_article.words.size(), 0});
  }

  // Counts a word under the run's id of its stem. A stem new to the run
  // takes the next id, so run ids follow first occurrence.
  //
  // About half the words of a text are their stem's first, so a branch on
  // it would be mispredicted about as often as not: every word writes the
  // next id's draft, which a new stem keeps and any other word leaves to
  // be written over.
  void AddWord(Drafts& d, size_t offset, size_t units, TokenFacts facts) {
    const auto next = static_cast<TextTable::Id>(d.count);
    TextTable::Id& runId = m_runStemIds[facts.stem];
    const bool isNew = runId == TextTable::kAbsent;
    const TextTable::Id id = isNew ? next : runId;
    runId = id;
    d.first[next] = {facts, m_article.words.size(), units};
    d.counts[next] = 0;
    ++d.counts[id];
    d.count += isNew ? 1 : 0;
    m_stemCount = d.count;  // for the destructor, should a later step throw
    if (d.count == m_drafts.size()) [[unlikely]] {
      Grow(2 * d.count);
      d.first = m_drafts.data();
      d.counts = m_counts.data();
    }
    m_article.AddWord(offset, id);
  }

  [[gnu::noinline]] void Grow(size_t drafts) {
    m_drafts.resize(drafts);
    m_counts.resize(drafts);
  }

  // The drafts of the run's stems into the article.
  void TakeStems() {
    Article& a = m_article;
    const size_t n = m_stemCount;
    a.stemCounts.assign(m_counts.begin(), m_counts.begin() + static_cast<std::ptrdiff_t>(n));
    a.stemIds.resize(n);
    a.stemFirstWord.resize(n);
    a.stemFirstWordUnits.resize(n);
    a.stemInFirstWord.resize(n);
    a.stemIsGraderTerm.resize(n);
    for (size_t id = 0; id < n; ++id) {
      const TokenMemo::StemDraft& draft = m_drafts[id];
      a.stemIds[id] = draft.facts.stem;
      a.stemFirstWord[id] = draft.firstWord;
      a.stemFirstWordUnits[id] = draft.firstWordUnits;
      a.stemInFirstWord[id] = draft.facts.InToken();
      a.stemIsGraderTerm[id] = draft.facts.graderTerm ? 1 : 0;
    }
  }

  Article& m_article;
  TokenMemo& m_memo;
  std::vector<TextTable::Id>& m_runStemIds;
  std::vector<TokenMemo::StemDraft>& m_drafts;
  std::vector<int64_t>& m_counts;
  size_t m_stemCount = 0;
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
