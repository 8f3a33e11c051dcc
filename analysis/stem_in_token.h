#ifndef VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_
#define VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellumtrace {

// Where a stem lies in a token, when the stem is a piece of it (as most
// are: the token less a suffix, or a leading mark), or is one but for its
// first unit, an ASCII capital in the token (a capitalised word): its text
// can then be read from the token, at hand in the run's text, rather than
// from the memo's table, which a large memo keeps out of the processor's
// caches.
struct StemInToken {
  static constexpr uint16_t kNowhere = UINT16_MAX;
  static constexpr size_t kMostStart = 127;
  uint8_t start = 0;
  // The piece's first unit is an ASCII capital, the stem's the same letter
  // in lower case.
  bool firstLowered = false;
  uint16_t units = kNowhere;

  bool Found() const { return units != kNowhere; }
  // Found as the very units of the token.
  bool Verbatim() const { return Found() && !firstLowered; }
  // The place of `stem` in `token`, if it is there within the bounds.
  static StemInToken Of(std::u16string_view stem, std::u16string_view token) {
    if (stem.size() >= kNowhere) return {};
    const auto units = static_cast<uint16_t>(stem.size());
    if (const size_t at = token.find(stem); at <= kMostStart) {
      return {static_cast<uint8_t>(at), false, units};
    }
    if (stem.empty() || stem[0] < u'a' || stem[0] > u'z') return {};
    const auto capital = static_cast<char16_t>(stem[0] - (u'a' - u'A'));
    for (size_t at = token.find(capital); at <= kMostStart; at = token.find(capital, at + 1)) {
      if (token.substr(at + 1).starts_with(stem.substr(1))) {
        return {static_cast<uint8_t>(at), true, units};
      }
    }
    return {};
  }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_
