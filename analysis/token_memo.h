#ifndef VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_
#define VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/stem_in_token.h"
#include "analysis/text_table.h"
#include "base/hash_table.h"
#include "dictionary/compiled_dictionary.h"

namespace vellumtrace {

// What a dictionary makes of one token: its stem and whether the token
// ends a sentence.
struct TokenFacts {
  TextTable::Id stem = 0;  // in TokenMemo::Stems()
  // The stem's StemInToken, in fields of their own to keep the facts, read
  // for every token, in eight bytes: its start in the low seven bits of
  // `stemStart`, `firstLowered` in the high one.
  uint16_t stemUnits = StemInToken::kNowhere;
  uint8_t stemStart = 0;
  bool endsSentence : 1 = false;
  // The stem is a grader term of the dictionary (a word that never counts).
  bool graderTerm : 1 = false;

  StemInToken InToken() const {
    return {static_cast<uint8_t>(stemStart & 0x7F), (stemStart & 0x80) != 0, stemUnits};
  }
  void SetInToken(StemInToken place) {
    static_assert(StemInToken::kMostStart < 0x80);
    stemUnits = place.units;
    stemStart = static_cast<uint8_t>(place.start | (place.firstLowered ? 0x80 : 0));
  }
};
static_assert(sizeof(TokenFacts) == 8);

// What one dictionary makes of each distinct token, kept from run to run:
// both are pure functions of the token and the dictionary, and texts of
// one language share most of their words, so a run stems and tests only
// the tokens no earlier run has seen. One memo serves one engine (one
// thread at a time).
class TokenMemo {
 public:
  // Past this many distinct tokens, the next Bind starts afresh rather than
  // let the memo grow without end over a long series of runs: some 15 MB,
  // which the component's 32-bit processes can spare, and more than a large
  // news corpus holds.
  static constexpr size_t kMostTokens = size_t{1} << 18;

  // Readies the memo for a run with `dictionary`: a different dictionary,
  // or a memo grown past its bound, starts afresh.
  void Bind(std::shared_ptr<const CompiledDictionary> dictionary);

  // By value: a look-up that learns may move what earlier ones returned.
  TokenFacts FactsOf(std::u16string_view token) {
    if (token.size() > ShortToken::kMostUnits) return FactsOfLonger(token);
    const ShortToken key = ShortToken::Of(token);
    const auto found = m_shortTokens.find(key);
    return found != m_shortTokens.end() ? found->second : Learn(m_shortTokens, key, token);
  }
  // What the dictionary makes of the single space that closes every split
  // (no token is white space).
  const TokenFacts& ClosingWordFacts() {
    if (!m_closingWord) m_closingWord = FactsFromDictionary(u" ");
    return *m_closingWord;
  }
  // The stems of the tokens learnt so far. Shared, so that a run's article
  // may keep reading them after the memo starts afresh.
  std::shared_ptr<const TextTable> Stems() const { return m_stems; }

  // Scratch for a run: by memo stem id, the run's own stem id (or
  // TextTable::kAbsent), and all of them kAbsent between runs.
  std::vector<TextTable::Id>& RunStemIds() { return m_runStemIds; }
  // Scratch for a run: by run stem id, the facts of the stem's first word,
  // where that word is, and the stem's count.
  struct StemDraft {
    TokenFacts facts;
    size_t firstWord = 0;
    size_t firstWordUnits = 0;
  };
  std::vector<StemDraft>& RunStemDrafts() { return m_runStemDrafts; }
  std::vector<int64_t>& RunStemCounts() { return m_runStemCounts; }
  // Distinct tokens learnt since the memo last started afresh.
  size_t TokenCount() const {
    return m_facts.size() + m_shortTokens.size() + m_mediumTokens.size();
  }
  // The dictionary of what the memo holds (null before the first Bind).
  const std::shared_ptr<const CompiledDictionary>& BoundDictionary() const {
    return m_dictionary;
  }

 private:
  // Most tokens are short: packed into integers, such a token is its own
  // key, and a look-up reads no text but the token's. Half a key is
  // `kHalfWords` 8-byte words, four units each.
  template <size_t kHalfWords>
  struct PackedToken {
    static constexpr size_t kHalfUnits = 4 * kHalfWords;
    static constexpr size_t kMostUnits = 2 * kHalfUnits;
    // Half a key's units or more: the first half and the last half
    // (overlapping below kMostUnits), which with the length tell the token;
    // fewer: the units themselves.
    static PackedToken Of(std::u16string_view token) {
      PackedToken key;
      key.units = static_cast<uint32_t>(token.size());
      if (token.size() >= kHalfUnits) {
        std::memcpy(key.head, token.data(), sizeof key.head);
        std::memcpy(key.tail, token.data() + token.size() - kHalfUnits, sizeof key.tail);
      } else {
        for (size_t i = 0; i < token.size(); ++i) {
          key.head[i / 4] |= uint64_t{token[i]} << (16 * (i % 4));
        }
      }
      return key;
    }
    bool operator==(const PackedToken&) const = default;
    uint64_t head[kHalfWords] = {};
    uint64_t tail[kHalfWords] = {};
    uint32_t units = 0;
  };
  struct PackedTokenHash {
    size_t operator()(const PackedToken<1>& key) const {
      return HashWords(key.head[0], key.tail[0], key.units);
    }
    size_t operator()(const PackedToken<2>& key) const {
      return HashWords(key.head[0], key.head[1], key.tail[0], key.tail[1], key.units);
    }
  };
  // Up to eight units; nine to sixteen (nearly all the others).
  using ShortToken = PackedToken<1>;
  using MediumToken = PackedToken<2>;
  template <typename Key>
  using PackedTokenMap = HashMap<Key, TokenFacts, PackedTokenHash>;

  TokenFacts FactsOfLonger(std::u16string_view token);
  template <typename Key>
  TokenFacts Learn(PackedTokenMap<Key>& map, const Key& key, std::u16string_view token);
  TokenFacts FactsFromDictionary(std::u16string_view token);
  void Clear();

  std::shared_ptr<const CompiledDictionary> m_dictionary;
  PackedTokenMap<ShortToken> m_shortTokens;
  PackedTokenMap<MediumToken> m_mediumTokens;
  // The longer tokens.
  TextTable m_tokens;
  std::vector<TokenFacts> m_facts;  // by token id
  std::shared_ptr<TextTable> m_stems;
  std::vector<TextTable::Id> m_runStemIds;
  std::vector<StemDraft> m_runStemDrafts;
  std::vector<int64_t> m_runStemCounts;
  // By stem id, so that the dictionary is asked once per stem.
  std::vector<uint8_t> m_stemIsGraderTerm;
  std::optional<TokenFacts> m_closingWord;
  std::u16string m_scratch;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_
