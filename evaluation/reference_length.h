#ifndef VELLUMTRACE_EVALUATION_REFERENCE_LENGTH_H_
#define VELLUMTRACE_EVALUATION_REFERENCE_LENGTH_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vellumtrace {

// Words as the engine counts them: runs of characters other than tab, LF,
// VT, FF, CR and space.
size_t CountWords(std::u16string_view text);

// The share of the document's words that the reference holds, as a whole
// percent rounded to nearest and limited to 0..100; 0 for an empty
// document.
int32_t ReferencePercent(std::u16string_view document,
                         std::u16string_view reference);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_EVALUATION_REFERENCE_LENGTH_H_
