#ifndef VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_
#define VELLUMTRACE_ANALYSIS_TOKEN_MEMO_H_

#include <bit>
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

  // What the dictionary makes of `token` (not empty). By value: a look-up
  // that learns may move what earlier ones returned.
  TokenFacts FactsOf(std::u16string_view token) {
    if (token.size() > ShortToken::kMostUnits || token.back() == 0) return FactsOfLonger(token);
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
  // Scratch for a run: by run stem id, the facts of the stem's first word
  // and where that word is; and the stem's count.
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
  // key, and a look-up reads no text but the token's.
  //
  // Up to eight units, not ending in U+0000: the units, zero-padded to
  // eight, which the last unit's not being zero makes a key of sixteen
  // bytes without the length (the table's slots are a quarter smaller, and
  // more of them stay in the processor's caches).
  struct ShortToken {
    static constexpr size_t kMostUnits = 8;
    static ShortToken Of(std::u16string_view token) {
      ShortToken key;
      const size_t n = token.size();
      if (n >= 4) {
        std::memcpy(&key.head, token.data(), sizeof key.head);
        uint64_t last;
        std::memcpy(&last, token.data() + n - 4, sizeof last);
        // Less the units `head` has already: up to all four, in two steps
        // since a shift by 64 is undefined.
        const auto drop = static_cast<unsigned>(16 * (8 - n));
        if constexpr (std::endian::native == std::endian::little) {
          key.tail = (last >> (drop / 2)) >> (drop - drop / 2);
        } else {
          key.tail = (last << (drop / 2)) << (drop - drop / 2);
        }
      } else {
        for (size_t i = 0; i < n; ++i) {
          const unsigned at = std::endian::native == std::endian::little ? i : 3 - i;
          key.head |= uint64_t{token[i]} << (16 * at);
        }
      }
      return key;
    }
    bool operator==(const ShortToken&) const = default;
    uint64_t head = 0;
    uint64_t tail = 0;
  };
  // Nine to sixteen units (nearly all the others): the first and the last
  // eight, overlapping, which with the length tell the token.
  struct MediumToken {
    static constexpr size_t kMostUnits = 16;
    static MediumToken Of(std::u16string_view token) {
      MediumToken key;
      key.units = static_cast<uint32_t>(token.size());
      std::memcpy(key.head, token.data(), sizeof key.head);
      std::memcpy(key.tail, token.data() + token.size() - 8, sizeof key.tail);
      return key;
    }
    bool operator==(const MediumToken&) const = default;
    uint64_t head[2] = {};
    uint64_t tail[2] = {};
    uint32_t units = 0;
  };
  struct PackedTokenHash {
    size_t operator()(const ShortToken& key) const { return HashWords(key.head, key.tail); }
    size_t operator()(const MediumToken& key) const {
      return HashWords(key.head[0], key.head[1], key.tail[0], key.tail[1], key.units);
    }
  };
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
  // The others: over sixteen units, or short but ending in U+0000.
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
