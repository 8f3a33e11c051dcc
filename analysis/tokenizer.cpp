#include "analysis/tokenizer.h"

namespace vellumtrace {

void Tokenize(std::u16string_view text, std::vector<std::u16string>& tokens) {
  tokens.clear();
  size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && IsSpaceChar(text[start])) ++start;
    size_t stop = start;
    while (stop < text.size() && !IsSpaceChar(text[stop])) ++stop;
    if (stop > start) tokens.emplace_back(text.substr(start, stop - start));
    start = stop;
  }
}

}  // namespace vellumtrace
