#ifndef VELLUMTRACE_ANALYSIS_ARTICLE_H_
#define VELLUMTRACE_ANALYSIS_ARTICLE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/stem_table.h"
#include "analysis/tokenizer.h"

namespace vellumtrace {

class CompiledDictionary;

// One word of the text: where its token starts in the run's text (in UTF-16
// code units; it runs to the next white space) and the id of its stem. The
// closing word of a split, a single space, lies outside the text: its
// offset is the text's length.
struct WordRef {
  size_t offset = 0;
  StemTable::Id stem = 0;
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
  StemTable stems;
  // By stem id: occurrences, and the word of the first occurrence.
  std::vector<int64_t> stemCounts;
  std::vector<size_t> stemFirstWord;

  std::u16string_view Word(size_t index) const {
    if (index + 1 == words.size()) return u" ";
    const size_t start = words[index].offset;
    size_t stop = start;
    while (stop < text.size() && !IsSpaceChar(text[stop])) ++stop;
    return std::u16string_view(text).substr(start, stop - start);
  }
  // The word-list entry of a stem: its first word, its text and its count.
  std::u16string_view EntryWord(StemTable::Id id) const { return Word(stemFirstWord[id]); }
};

// Splits `article.text` into sentences of words, stems every word and counts
// the stems. Stemming and the sentence-end test run once per distinct token.
void AnalyseText(Article& article, const CompiledDictionary& dictionary);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_ARTICLE_H_
