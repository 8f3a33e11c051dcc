// Where the engine's words lie in the UTF-8 input. The engine splits its
// UTF-16 text on six ASCII white-space characters, so splitting the UTF-8
// bytes on the same six yields the same tokens with their byte offsets.
#ifndef VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_
#define VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace vellumtrace {

struct ByteRange {
  size_t start = 0;
  size_t end = 0;
};

// The maximal runs of non-white-space bytes of `text`, offsets shifted by
// `base`.
std::vector<ByteRange> TokenRanges(std::string_view text, size_t base);

// The offset in valid UTF-8 `text` of the first code point that takes the
// UTF-16 length past `maxUnits`, or npos when the whole text fits.
size_t FirstByteOverUtf16Length(std::string_view text, size_t maxUnits);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_
