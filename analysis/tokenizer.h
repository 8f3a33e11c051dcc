#ifndef VELLUMTRACE_ANALYSIS_TOKENIZER_H_
#define VELLUMTRACE_ANALYSIS_TOKENIZER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/unit_scan.h"

namespace vellumtrace {

// True for exactly tab, LF, VT, FF, CR and space. Nothing else is white
// space, in particular not U+0085, U+00A0 or anything above U+00FF.
constexpr bool IsSpaceChar(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The index of the first white-space unit of `text` at or after `from`, or
// text.size(). White space is all below U+0021, which is found four units
// at a time.
inline size_t TokenEnd(std::u16string_view text, size_t from) {
  size_t i = from;
  while ((i = FirstUnitBelow(text, i, u'!')) < text.size() && !IsSpaceChar(text[i])) ++i;
  return i;
}

// Replaces `tokens` with the maximal runs of non-white-space characters of
// `text`, in text order.
void Tokenize(std::u16string_view text, std::vector<std::u16string>& tokens);

// True when `word` ends with `ending`, compared code unit by code unit.
// An empty ending matches every word.
inline bool EndsWith(std::u16string_view word, std::u16string_view ending) {
  return word.ends_with(ending);
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_TOKENIZER_H_
