// Where the engine's places (in UTF-16 code units of the decoded text) lie
// in the UTF-8 input, and where a text passes a length bound.
#ifndef VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_
#define VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_

#include <cstddef>
#include <string_view>

namespace vellumtrace {

// The byte offsets in valid UTF-8 `text` of offsets in its UTF-16 form
// (`units` code units long), asked for in non-decreasing order.
class ByteOffsets {
 public:
  ByteOffsets(std::string_view text, size_t units)
      : m_text(text), m_ascii(text.size() == units) {}
  // REQUIRES: `unit` is no smaller than in the call before, and falls
  // between code points.
  size_t At(size_t unit);

 private:
  std::string_view m_text;
  // Only ASCII makes both forms equally long; then offsets are equal too.
  bool m_ascii;
  size_t m_byte = 0;
  size_t m_unit = 0;
};


// The offset in valid UTF-8 `text` of the first code point that takes the
// UTF-16 length past `maxUnits`, or npos when the whole text fits.
size_t FirstByteOverUtf16Length(std::string_view text, size_t maxUnits);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_LIBRARY_TEXT_LAYOUT_H_
