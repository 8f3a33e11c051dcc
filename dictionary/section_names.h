#ifndef VELLUMTRACE_DICTIONARY_SECTION_NAMES_H_
#define VELLUMTRACE_DICTIONARY_SECTION_NAMES_H_

#include <string_view>

namespace vellumtrace::section {

inline constexpr std::u16string_view kGraderTerms = u"grader-tc";
inline constexpr std::u16string_view kStep1Pre = u"step1_pre";
inline constexpr std::u16string_view kStep1Post = u"step1_post";
inline constexpr std::u16string_view kManual = u"manual";
inline constexpr std::u16string_view kPre = u"pre";
inline constexpr std::u16string_view kPost = u"post";
inline constexpr std::u16string_view kSynonyms = u"synonyms";
inline constexpr std::u16string_view kLinebreak = u"linebreak";
inline constexpr std::u16string_view kLinedontbreak = u"linedontbreak";

}  // namespace vellumtrace::section

namespace vellumtrace::alert {

inline constexpr std::u16string_view kDictionaryNotFound = u"Dictionary File not found";
inline constexpr std::u16string_view kCaption = u"ZEV";

}  // namespace vellumtrace::alert

#endif  // VELLUMTRACE_DICTIONARY_SECTION_NAMES_H_
