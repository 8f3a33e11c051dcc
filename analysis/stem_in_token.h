#ifndef VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_
#define VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellumtrace {

// Where a stem lies in a token, when the stem is a piece of it (as most
// are: the token less a suffix, or a leading mark): its text can then be
// read from the token, at hand in the run's text, rather than from the
// memo's table, which a large memo keeps out of the processor's caches.
struct StemInToken {
  static constexpr uint16_t kNowhere = UINT16_MAX;
  uint8_t start = 0;
  uint16_t units = kNowhere;
  bool Found() const { return units != kNowhere; }
  // The place of `stem` in `token`, if it is there within the bounds.
  static StemInToken Of(std::u16string_view stem, std::u16string_view token) {
    const size_t at = token.find(stem);
    if (at > UINT8_MAX || stem.size() >= kNowhere) return {};
    return {static_cast<uint8_t>(at), static_cast<uint16_t>(stem.size())};
  }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ANALYSIS_STEM_IN_TOKEN_H_
