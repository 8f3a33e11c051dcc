#ifndef VELLUMTRACE_DICTIONARY_REWRITE_RULE_H_
#define VELLUMTRACE_DICTIONARY_REWRITE_RULE_H_

#include <optional>
#include <string>
#include <string_view>

namespace vellumtrace {

// A stemming rule split at its first '|': the match part before it, the
// replacement after it (further bars belong to the replacement). Without a
// bar the whole entry is the match part and the replacement is empty.
// Parts of any length are used whole.
struct RewriteRule {
  std::u16string match;
  std::u16string replacement;
};

RewriteRule SplitRule(std::u16string_view entry);

// `replacement` + the rest of `text` when `text` begins with `match`.
std::optional<std::u16string> ReplacePrefix(std::u16string_view text,
                                            std::u16string_view match,
                                            std::u16string_view replacement);

// `text` without its ending + `replacement` when `text` ends with `match`.
std::optional<std::u16string> ReplaceSuffix(std::u16string_view text,
                                            std::u16string_view match,
                                            std::u16string_view replacement);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_REWRITE_RULE_H_
