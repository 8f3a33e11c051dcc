#ifndef VELLUMTRACE_CLI_TEXT_CODEC_H_
#define VELLUMTRACE_CLI_TEXT_CODEC_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vellumtrace {

// Where UTF-8 input stopped being valid.
struct Utf8Error {
  size_t byteOffset = 0;
  size_t line = 1;    // 1-based
  size_t column = 1;  // 1-based, in bytes
};

// Decodes UTF-8 into UTF-16. Returns false and fills `error` on the first
// invalid or truncated sequence (overlong forms and encoded surrogates
// included).
bool DecodeUtf8(std::string_view bytes, std::u16string* text, Utf8Error* error);

// Encodes UTF-16 as UTF-8. A lone surrogate, which only a corrupted
// string can hold, becomes U+FFFD rather than invalid output.
std::string EncodeUtf8(std::u16string_view text);
void AppendUtf8(std::string& out, std::u16string_view text);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_TEXT_CODEC_H_
