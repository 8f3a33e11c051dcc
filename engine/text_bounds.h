#ifndef VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_
#define VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_

#include <cstddef>
#include <string_view>

#include "text/unit_scan.h"

namespace vellumtrace {

// The longest text, in UTF-16 code units, that the component accepts.
// Longer texts are refused at the boundary, never cut.
inline constexpr size_t kMaxTextLength = 49999;

// A run reads its text only up to the first NUL character.
inline std::u16string_view TextUpToNul(std::u16string_view text) {
  return text.substr(0, FirstUnitBelow(text, 0, 1));
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_TEXT_BOUNDS_H_
