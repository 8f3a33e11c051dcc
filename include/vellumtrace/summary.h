/// @file
/// What a summary run found: the result text, every sentence, the
/// important words and the title.
#ifndef VELLUMTRACE_SUMMARY_H_
#define VELLUMTRACE_SUMMARY_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vellumtrace {

/// One sentence of the input: bytes [start, end) of the text given to
/// Summarize, from its first word's first byte to its last word's end.
struct SummarySentence {
  std::size_t start = 0;
  std::size_t end = 0;
  std::int64_t grade = 0;
  /// True when the sentence is part of the summary.
  bool selected = false;
};

/// An important word of the text: the first spelling met, its stem and how
/// often the stem occurs.
struct Keyword {
  std::string word;
  std::string stem;
  std::int64_t count = 0;
};

/// The result of Summarize. Strings are UTF-8. A plain value, owned by the
/// caller.
struct Summary {
  /// The result in the requested Format, exactly as the command writes it.
  std::string text;
  /// Every sentence that has bytes in the input, in text order. The empty
  /// sentence a text ending in a sentence break leaves behind is omitted.
  std::vector<SummarySentence> sentences;
  /// The important words, most frequent first (ties in text order).
  std::vector<Keyword> keywords;
  /// The title words: the leading keywords (at most five).
  std::vector<std::string> title;
  /// True when the run used Dictionary::Missing(): the whole text is one
  /// sentence and no word is important.
  bool dictionary_missing = false;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_SUMMARY_H_
