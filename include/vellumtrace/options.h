/// @file
/// How a summary is made and in which form it is returned.
#ifndef VELLUMTRACE_OPTIONS_H_
#define VELLUMTRACE_OPTIONS_H_

#include <cstddef>
#include <functional>
#include <string_view>

namespace vellumtrace {

/// The form of Summary::text.
enum class Format {
  /// The chosen sentences, each word followed by one space.
  kText,
  /// The whole text as an HTML page with the chosen sentences highlighted.
  kHtml,
  /// A JSON object: "summary" (the kText form), "sentences", "keywords", "title".
  kJson,
};

/// Settings of one Summarize call. The defaults give the command's result.
struct Options {
  /// Share of the words to keep, 0..100; values outside are clamped.
  int percent = 20;
  Format format = Format::kText;
  /// Longest text accepted, in UTF-16 code units; 0 lifts the bound.
  std::size_t max_length = 49999;
  /// Receives the diagnostic dumps as UTF-8 fragments, in order. Unset: no
  /// dumps are made.
  std::function<void(std::string_view fragment)> on_debug;
  /// Receives the alert (text, caption) raised when a run cannot use its
  /// dictionary. The run then fails with kDictionaryUnavailable.
  std::function<void(std::string_view text, std::string_view caption)> on_alert;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_OPTIONS_H_
