#ifndef VELLUMTRACE_EVALUATION_ROUGE_TOKENIZER_H_
#define VELLUMTRACE_EVALUATION_ROUGE_TOKENIZER_H_

#include <string>
#include <string_view>
#include <vector>

namespace vellumtrace {

// The tokens that ROUGE compares: maximal runs of letters, combining marks
// and decimal digits of any script, each lower-cased code point by code
// point. Everything else (punctuation, symbols, spaces) only separates
// tokens. Unpaired surrogates separate tokens too.
std::vector<std::u16string> RougeTokens(std::u16string_view text);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_ROUGE_TOKENIZER_H_
