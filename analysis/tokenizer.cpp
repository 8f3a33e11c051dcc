#include "analysis/tokenizer.h"

namespace vellumtrace {

void Tokenize(std::u16string_view text, std::vector<std::u16string>& tokens) {
  tokens.clear();
  size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && IsSpaceChar(text[start])) ++start;
    const size_t stop = TokenEnd(text, start);
    if (stop > start) tokens.emplace_back(text.substr(start, stop - start));
    start = stop;
  }
}

}  // namespace vellumtrace
