#ifndef VELLUMTRACE_OUTPUT_HTML_ESCAPE_H_
#define VELLUMTRACE_OUTPUT_HTML_ESCAPE_H_

#include <string>
#include <string_view>

namespace vellumtrace {

// Appends `text` to `out` with &, < and > written as &amp;, &lt; and &gt;,
// so that input text can neither add markup nor end the title comment.
void AppendHtmlEscaped(std::u16string& out, std::u16string_view text);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_OUTPUT_HTML_ESCAPE_H_
