#ifndef VELLUMTRACE_OUTPUT_DUMP_FRAGMENTS_H_
#define VELLUMTRACE_OUTPUT_DUMP_FRAGMENTS_H_

#include <string_view>

namespace vellumtrace::dump {

inline constexpr std::u16string_view kTitleHeader =
    u"\n*******\nThe Title is\n*******\n ";
inline constexpr std::u16string_view kOutputHeader = u"\n*******\nDumping output ";
inline constexpr std::u16string_view kImportantWordsHeader =
    u"\n*******\nDumping Important words in sorted order ";
inline constexpr std::u16string_view kArticleHeader = u"\n*******\nDumping Article ";
inline constexpr std::u16string_view kSentenceHeader = u"\n*******\nDumping Sentence ";
inline constexpr std::u16string_view kSentenceWordPrefix = u"\n";
inline constexpr std::u16string_view kWordListHeader =
    u"\n*******\nDumping Word Entries Article\n*****\n";
inline constexpr std::u16string_view kEntryWordLabel = u"\n word =";
inline constexpr std::u16string_view kEntryStemLabel = u"\t stem =";
inline constexpr std::u16string_view kEntryCountLabel = u"\t occurence =";

// The rule-list dump: each header begins with a line feed, and so does
// every entry.
inline constexpr std::u16string_view kRuleEntryPrefix = u"\n";
inline constexpr std::u16string_view kManualHeader = u"\nContents of manual";
inline constexpr std::u16string_view kLinebreakHeader = u"\nContents of Parser Break";
inline constexpr std::u16string_view kLinedontbreakHeader =
    u"\nContents of ParserdontBreak";
inline constexpr std::u16string_view kPostHeader = u"\nContents of Remove post";
inline constexpr std::u16string_view kPreHeader = u"\nContents of Remove pre";
inline constexpr std::u16string_view kStep1PostHeader = u"\nContents of step1_post";
inline constexpr std::u16string_view kStep1PreHeader = u"\nContents of step1_pre";
inline constexpr std::u16string_view kSynonymsHeader = u"\nContents of Synonyms";

}  // namespace vellumtrace::dump

#endif  // VELLUMTRACE_OUTPUT_DUMP_FRAGMENTS_H_
