#include "library/text_layout.h"

#include <string>

namespace vellumtrace {
namespace {

// Tab, LF, VT, FF, CR and space: the engine's white space, nothing more.
bool IsSpaceByte(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::vector<ByteRange> TokenRanges(std::string_view text, size_t base) {
  std::vector<ByteRange> ranges;
  size_t start = 0;
  while (start < text.size()) {
    while (start < text.size() && IsSpaceByte(text[start])) ++start;
    size_t stop = start;
    while (stop < text.size() && !IsSpaceByte(text[stop])) ++stop;
    if (stop > start) ranges.push_back({base + start, base + stop});
    start = stop;
  }
  return ranges;
}

size_t FirstByteOverUtf16Length(std::string_view text, size_t maxUnits) {
  size_t units = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if ((byte & 0xC0) == 0x80) continue;  // continuation byte
    units += byte >= 0xF0 ? 2 : 1;        // four-byte forms need a surrogate pair
    if (units > maxUnits) return i;
  }
  return std::string::npos;
}

}  // namespace vellumtrace
