#ifndef VELLUMTRACE_CLI_INPUT_TEXT_H_
#define VELLUMTRACE_CLI_INPUT_TEXT_H_

#include <string>

namespace vellumtrace {

// Reads a whole UTF-8 file ("-" or empty: standard input), drops a leading
// byte-order mark and decodes it. On failure returns false with a message
// that names the file and, for invalid UTF-8, the place.
bool ReadInputText(const std::string& path, std::u16string* text, std::string* error);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_INPUT_TEXT_H_
