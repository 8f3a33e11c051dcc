#include "dictionary/rewrite_rule.h"

namespace vellumtrace {

RewriteRule SplitRule(std::u16string_view entry) {
  const size_t bar = entry.find(u'|');
  if (bar == std::u16string_view::npos) return {std::u16string(entry), {}};
  return {std::u16string(entry.substr(0, bar)),
          std::u16string(entry.substr(bar + 1))};
}

std::optional<std::u16string> ReplacePrefix(std::u16string_view text,
                                            std::u16string_view match,
                                            std::u16string_view replacement) {
  if (!text.starts_with(match)) return std::nullopt;
  std::u16string result;
  result.reserve(replacement.size() + text.size() - match.size());
  result.append(replacement).append(text.substr(match.size()));
  return result;
}

std::optional<std::u16string> ReplaceSuffix(std::u16string_view text,
                                            std::u16string_view match,
                                            std::u16string_view replacement) {
  if (!text.ends_with(match)) return std::nullopt;
  std::u16string result;
  result.reserve(text.size() - match.size() + replacement.size());
  result.append(text.substr(0, text.size() - match.size())).append(replacement);
  return result;
}

}  // namespace vellumtrace
