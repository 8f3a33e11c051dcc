#include "evaluation/reference_length.h"

#include "analysis/tokenizer.h"

namespace vellumtrace {

size_t CountWords(std::u16string_view text) {
  size_t count = 0;
  bool inWord = false;
  for (char16_t c : text) {
    const bool space = IsSpaceChar(c);
    if (!space && !inWord) ++count;
    inWord = !space;
  }
  return count;
}

int32_t ReferencePercent(std::u16string_view document,
                         std::u16string_view reference) {
  const size_t documentWords = CountWords(document);
  if (documentWords == 0) return 0;
  const size_t referenceWords = CountWords(reference);
  if (referenceWords >= documentWords) return 100;
  // Integer rounding to nearest, halves up.
  return static_cast<int32_t>((200 * referenceWords + documentWords) /
                              (2 * documentWords));
}

}  // namespace vellumtrace
