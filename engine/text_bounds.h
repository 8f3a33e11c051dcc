#ifndef VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_
#define VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_

#include <cstddef>
#include <string_view>

namespace vellumtrace {

// The longest text, in UTF-16 code units, that the component accepts.
// Longer texts are refused at the boundary, never cut.
inline constexpr size_t kMaxTextLength = 49999;

// A run reads its text only up to the first NUL character.
inline std::u16string_view TextUpToNul(std::u16string_view text) {
  const size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_
