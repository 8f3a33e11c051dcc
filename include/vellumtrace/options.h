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
/// A plain value: copy it freely, share it read-only between threads.
struct Options {
  /// Share of the words to keep, 0..100; values outside are clamped. The
  /// best graded sentences (earlier first on ties) are taken until they
  /// hold at least this share of the words.
  double percent = 20;
  /// When not 0: the summary is the `sentences` best graded sentences
  /// (earlier first on ties), and `percent` is not used.
  std::size_t sentences = 0;
  Format format = Format::kText;
  /// Longest text accepted, in UTF-16 code units; 0 lifts the bound.
  std::size_t max_length = 49999;
  /// Receives the diagnostic dumps (the rule lists, the article and the
  /// summary) as UTF-8 chunks, in order, on the calling thread. Unset: no
  /// dumps are made. An exception it throws fails the call with kInternal.
  std::function<void(std::string_view fragment)> on_debug;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_OPTIONS_H_
