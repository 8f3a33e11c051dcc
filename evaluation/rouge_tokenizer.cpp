#include "evaluation/rouge_tokenizer.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

namespace vellumtrace {
namespace {

// Marks belong to the token so that scripts that write vowels as marks
// (Devanagari, Thai) and decomposed accents stay whole words.
bool IsTokenCodePoint(UChar32 c) {
  const int32_t mask = U_GET_GC_MASK(c);
  return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_ND_MASK)) != 0;
}

}  // namespace

std::vector<std::u16string> RougeTokens(std::u16string_view text) {
  std::vector<std::u16string> tokens;
  std::u16string current;
  const int32_t length = static_cast<int32_t>(text.size());
  int32_t i = 0;
  while (i < length) {
    UChar32 c;
    U16_NEXT(text.data(), i, length, c);
    // U16_NEXT yields the lone surrogate itself for ill-formed input; it
    // is no letter (general category Cs), so it ends the token.
    if (IsTokenCodePoint(c)) {
      const UChar32 lower = u_tolower(c);
      if (U_IS_BMP(lower)) {
        current.push_back(static_cast<char16_t>(lower));
      } else {
        current.push_back(static_cast<char16_t>(U16_LEAD(lower)));
        current.push_back(static_cast<char16_t>(U16_TRAIL(lower)));
      }
    } else if (!current.empty()) {
      tokens.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) tokens.push_back(std::move(current));
  return tokens;
}

}  // namespace vellumtrace
