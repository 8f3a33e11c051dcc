#ifndef VELLUMTRACE_DICTIONARY_RULE_LIST_H_
#define VELLUMTRACE_DICTIONARY_RULE_LIST_H_

#include <string>
#include <vector>

namespace vellumtrace {

// An ordered list of dictionary items: filled by appending, read front to
// back; entries may be empty and may repeat.
using RuleList = std::vector<std::u16string>;

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_RULE_LIST_H_
