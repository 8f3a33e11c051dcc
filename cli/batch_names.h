#ifndef VELLUMTRACE_CLI_BATCH_NAMES_H_
#define VELLUMTRACE_CLI_BATCH_NAMES_H_

#include <string>
#include <string_view>

namespace vellumtrace {

// A file name as a message shows it: between single quotes, with every
// byte that could act on a terminal or forge a line made visible and inert.
// \n \r \t \\ \' keep their C spelling; other control bytes and bytes that
// are not UTF-8 become \xHH; C1 controls, bidirectional and line-separator
// characters become \u{HHHH}. Other characters, ASCII or not, pass as they
// are, so that ordinary names read as typed.
std::string ShownName(std::string_view name);

// A file name as a JSON string literal (quotes included): bytes that are
// not UTF-8 become U+FFFD.
std::string JsonName(std::string_view name);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_BATCH_NAMES_H_
