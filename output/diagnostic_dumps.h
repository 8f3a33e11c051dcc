#ifndef VELLUMTRACE_OUTPUT_DIAGNOSTIC_DUMPS_H_
#define VELLUMTRACE_OUTPUT_DIAGNOSTIC_DUMPS_H_

#include <string_view>

#include "analysis/article.h"
#include "dictionary/language_dictionary.h"
#include "grading/grading.h"

namespace vellumtrace {

class DebugOutput;

// The rule-list dump: every list but the grader terms, a header line per
// list and one line per entry.
void DumpRuleLists(const LanguageDictionary& dictionary, DebugOutput& out);

// The article dump: every sentence with its words, then the word list.
// One debug-output call per fragment; nothing at all for a disabled sink.
void DumpArticle(const Article& article, DebugOutput& out);

// The summary dump: the title, the result, then the important words.
void DumpSummary(const Article& article, const Grading& grading, std::u16string_view result,
                 DebugOutput& out);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_OUTPUT_DIAGNOSTIC_DUMPS_H_
