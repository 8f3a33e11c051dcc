#ifndef VELLUMTRACE_TEXT_UNIT_SCAN_H_
#define VELLUMTRACE_TEXT_UNIT_SCAN_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vellumtrace {

// The index of the first unit of `text` at or after `from` that is below
// `limit` (at most 0x8000), or text.size(). Four units at a time: one
// subtraction marks the 16-bit lanes below `limit`; a borrow only leaves a
// lane that is itself below, so the lowest mark is exact.
inline size_t FirstUnitBelow(std::u16string_view text, size_t from, char16_t limit) {
  constexpr uint64_t kOnes = 0x0001000100010001u;
  constexpr uint64_t kHighs = 0x8000800080008000u;
  const uint64_t below = kOnes * limit;
  size_t i = from;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 4 <= text.size(); i += 4) {
      uint64_t block;
      std::memcpy(&block, text.data() + i, sizeof block);
      const uint64_t marks = (block - below) & ~block & kHighs;
      if (marks != 0) return i + static_cast<size_t>(std::countr_zero(marks)) / 16;
    }
  }
  while (i < text.size() && text[i] >= limit) ++i;
  return i;
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TEXT_UNIT_SCAN_H_
