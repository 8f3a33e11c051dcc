#ifndef VELLUMTRACE_TEXT_ASCII_NARROW_H_
#define VELLUMTRACE_TEXT_ASCII_NARROW_H_

// ASCII UTF-16 to bytes, for the many short words a run hands out as UTF-8
// (their UTF-8 is their narrowed units): no codec call and no length to
// find, and, where SSE2 is and sixteen units are readable, no loop either.
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vellumtrace {

inline constexpr size_t kNarrowMostUnits = 64;

// Narrows `text` (at most kNarrowMostUnits units) into `out`; false, with
// `out` unspecified, when a unit is not ASCII or the text is longer. The
// loop has no early exit, so that the compiler does it several units at a
// time.
inline bool NarrowAscii(std::u16string_view text, char* out) {
  if (text.size() > kNarrowMostUnits) return false;
  char16_t any = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    any |= text[i];
    out[i] = static_cast<char>(text[i]);
  }
  return any < 0x80;
}

#if defined(__SSE2__)
// Bit i set when unit i of the sixteen in `low` then `high` is ASCII.
inline uint32_t AsciiLanes(__m128i low, __m128i high) {
  // A unit's byte of `over` is zero exactly when the unit is below 0x80.
  const __m128i over = _mm_packus_epi16(_mm_srli_epi16(low, 7), _mm_srli_epi16(high, 7));
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(over, _mm_setzero_si128())));
}

// The same as NarrowAscii without a loop, into a register, for a text of at
// most sixteen units with sixteen readable from its start (it lies within a
// longer text).
inline bool NarrowAscii16(std::u16string_view text, __m128i* out) {
  const auto* at = reinterpret_cast<const __m128i*>(text.data());
  const __m128i low = _mm_loadu_si128(at);
  const __m128i high = _mm_loadu_si128(at + 1);
  const uint32_t wanted = (uint32_t{1} << text.size()) - 1;
  *out = _mm_packus_epi16(low, high);
  return (AsciiLanes(low, high) & wanted) == wanted;
}
#endif

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TEXT_ASCII_NARROW_H_
