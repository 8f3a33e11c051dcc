#ifndef VELLUMTRACE_TEXT_UTF8_FILE_H_
#define VELLUMTRACE_TEXT_UTF8_FILE_H_

// Reading a whole UTF-8 text file ("-" or empty: standard input) into
// UTF-16, bounded and refusing what is not a text.
#include <cstddef>
#include <string>

namespace vellumtrace {

enum class TextFileStatus {
  kRead,
  kUnreadable,  // cannot open or read
  kNotText,     // invalid UTF-8, a NUL byte or UTF-16
  kTooLong,     // over `maxUnits`
};

// Drops a leading UTF-8 byte-order mark. With `maxUnits` other than 0,
// stops reading as soon as the bytes cannot fit in that many UTF-16 code
// units (UTF-8 spends at most 3 bytes on one), so an endless stream is
// refused at once. A NUL byte also ends the reading. On failure `error`
// names the file and the place. `text` may be null: the bytes are then
// checked without being decoded. `bytes`, when given, receives the bytes
// read (a byte-order mark included).
TextFileStatus ReadUtf8File(const std::string& path, size_t maxUnits, std::u16string* text,
                            std::string* error, std::string* bytes = nullptr);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TEXT_UTF8_FILE_H_
