#ifndef VELLUMTRACE_ANALYSIS_ARTICLE_H_
#define VELLUMTRACE_ANALYSIS_ARTICLE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/stem_in_token.h"
#include "analysis/text_table.h"
#include "analysis/tokenizer.h"

namespace vellumtrace {

class CompiledDictionary;
class TokenMemo;

// One word of the text: the low 32 bits of where its token starts in the
// run's text (in UTF-16 code units; it runs to the next white space) and
// the id of its stem. Eight bytes, since a large text holds millions of
// words; Article::WordOffset adds the high bits back.
struct WordRef {
  uint32_t offsetLow = 0;
  TextTable::Id stem = 0;
};

// A sentence: a run of consecutive words.
struct SentenceSpan {
  size_t firstWord = 0;
  size_t wordCount = 0;
};

// The analysed text: its words and sentences, and the word list as stem
// ids. Stem ids run in order of first occurrence, so id order is word-list
// order.
struct Article {
  std::u16string text;
  std::vector<WordRef> words;
  std::vector<SentenceSpan> sentences;
  // The stems: by stem id, where its text is in `stemTexts` (shared with
  // the memo that found them).
  std::shared_ptr<const TextTable> stemTexts;
  std::vector<TextTable::Id> stemIds;
  // By stem id: occurrences, and the word of the first occurrence.
  std::vector<int64_t> stemCounts;
  std::vector<size_t> stemFirstWord;
  // By stem id: the length of its first occurrence, so that the entry word
  // needs no look for its end.
  std::vector<size_t> stemFirstWordUnits;
  // By stem id: where the stem lies in its first occurrence, if it does.
  // StemText reads the verbatim ones from the text.
  std::vector<StemInToken> stemInFirstWord;
  // By stem id: 1 when the stem is a grader term of the run's dictionary
  // (a word that never counts), else 0.
  std::vector<uint8_t> stemIsGraderTerm;
  // For texts of 2^32 code units and more: entry k is the index of the
  // first word that starts at or past (k + 1) * 2^32.
  std::vector<size_t> wordsPastOffsetWraps;

  // Appends a word; words come in text order. The closing word of a split,
  // a single space, lies outside the text: its offset is the text's length.
  void AddWord(size_t offset, TextTable::Id stem) {
    while ((uint64_t{offset} >> 32) > wordsPastOffsetWraps.size()) {
      wordsPastOffsetWraps.push_back(words.size());
    }
    words.push_back({static_cast<uint32_t>(offset), stem});
  }
  size_t WordOffset(size_t index) const {
    size_t high = 0;
    while (high < wordsPastOffsetWraps.size() && wordsPastOffsetWraps[high] <= index) ++high;
    return static_cast<size_t>((uint64_t{high} << 32) | words[index].offsetLow);
  }
  // The single space every split appends as its last word: bookkeeping,
  // not a word of the text.
  bool IsSyntheticWord(size_t index) const { return index + 1 == words.size(); }
  std::u16string_view Word(size_t index) const {
    if (IsSyntheticWord(index)) return u" ";
    const size_t start = WordOffset(index);
    return std::u16string_view(text).substr(start, TokenEnd(text, start) - start);
  }
  size_t StemCount() const { return stemIds.size(); }
  // Read from the text when the stem lies in its first occurrence: the
  // text is at hand, the memo's table often far from the caches.
  std::u16string_view StemText(TextTable::Id id) const {
    const StemInToken place = stemInFirstWord[id];
    if (place.Verbatim()) return EntryWord(id).substr(place.start, place.units);
    return stemTexts->Text(stemIds[id]);
  }
  // The word-list entry of a stem: its first word, its text and its count.
  std::u16string_view EntryWord(TextTable::Id id) const {
    const size_t first = stemFirstWord[id];
    if (IsSyntheticWord(first)) return u" ";
    return std::u16string_view(text).substr(WordOffset(first), stemFirstWordUnits[id]);
  }
};

// Splits `article.text` into sentences of words, stems every word and counts
// the stems, with what the dictionary makes of each distinct token taken
// from `memo` (bound to the dictionary) or learnt there once.
void AnalyseText(Article& article, TokenMemo& memo);
// The same with a memo for this text alone.
void AnalyseText(Article& article, const CompiledDictionary& dictionary);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_ARTICLE_H_
