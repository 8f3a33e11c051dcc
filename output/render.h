#ifndef VELLUMTRACE_OUTPUT_RENDER_H_
#define VELLUMTRACE_OUTPUT_RENDER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "analysis/article.h"
#include "grading/selection.h"

namespace vellumtrace {

// Appends the words of one sentence, each followed by one space: the
// sentence as the plain-text result shows it.
void AppendSentenceWords(const Article& article, size_t sentence, std::u16string& out);

// The plain-text result: the selected sentences' words, each followed by one
// space, in text order.
void RenderPlainText(const Article& article, const Selection& selection, std::u16string& out);

// The HTML result: the whole text, one sentence per line, the selected ones
// highlighted, every word followed by one space; the title in a comment.
void RenderHtml(const Article& article, const Selection& selection, std::u16string_view title,
                std::u16string& out);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_OUTPUT_RENDER_H_
