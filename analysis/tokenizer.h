#ifndef VELLUMTRACE_ANALYSIS_TOKENIZER_H_
#define VELLUMTRACE_ANALYSIS_TOKENIZER_H_

#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

// True for exactly tab, LF, VT, FF, CR and space. Nothing else is white
// space, in particular not U+0085, U+00A0 or anything above U+00FF.
constexpr bool IsSpaceChar(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r');
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
