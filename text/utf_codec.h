#ifndef VELLUMTRACE_TEXT_UTF_CODEC_H_
#define VELLUMTRACE_TEXT_UTF_CODEC_H_

// The one UTF-8 <-> UTF-16 codec of the project. Decoding is strict;
// encoding takes a policy for lone surrogates, which only a corrupted
// UTF-16 string can hold.
#include <cstddef>
#include <string>
#include <string_view>

namespace vellumtrace {

// Where UTF-8 bytes stopped being valid (or any byte worth pointing at).
struct Utf8Error {
  size_t byteOffset = 0;
  size_t line = 1;    // 1-based
  size_t column = 1;  // 1-based, in bytes
};

// What encoding does with a surrogate that is not part of a pair.
enum class LoneSurrogate {
  kReplace,  // write U+FFFD: output must never be invalid
  kRefuse,   // fail: a name with one cannot name anything
};

// The line and column of byte `offset` of `bytes`.
Utf8Error LocateByte(std::string_view bytes, size_t offset);

// Decodes UTF-8 into UTF-16. Returns false and fills `error` on the first
// invalid or truncated sequence (overlong forms, encoded surrogates and
// code points over U+10FFFF included); `error` may be null.
bool DecodeUtf8(std::string_view bytes, std::u16string* text, Utf8Error* error);
// The same check without the text: `units` receives the length in UTF-16
// code units of what is valid (of the whole when it returns true).
bool CheckUtf8(std::string_view bytes, size_t* units, Utf8Error* error);

// Appends `text` as UTF-8. With kRefuse, returns false at the first lone
// surrogate, leaving `out` holding the part before it.
bool AppendUtf8(std::string& out, std::u16string_view text,
                LoneSurrogate policy = LoneSurrogate::kReplace);
std::string EncodeUtf8(std::u16string_view text);  // lone surrogates: U+FFFD

// `bytes` with every byte that is not part of a valid sequence replaced by
// U+FFFD, for showing names that may be in any encoding.
std::string RepairUtf8(std::string_view bytes);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TEXT_UTF_CODEC_H_
