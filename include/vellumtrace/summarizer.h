/// @file
/// A summarizer kept across texts: the fast way to summarise many texts
/// with one dictionary.
#ifndef VELLUMTRACE_SUMMARIZER_H_
#define VELLUMTRACE_SUMMARIZER_H_

#include <memory>
#include <string_view>

#include "vellumtrace/dictionary.h"
#include "vellumtrace/export.h"
#include "vellumtrace/options.h"
#include "vellumtrace/status.h"
#include "vellumtrace/summary.h"

namespace vellumtrace {

/// Summarises texts with one dictionary. Between calls it remembers what
/// the dictionary makes of each word it has seen, so the second and later
/// texts cost less; results are exactly those of a fresh summarizer. What
/// it learnt outlives it: the next Summarizer made with the same loaded
/// dictionary (in any thread) starts with it. The process keeps that for
/// at most four dictionaries, some megabytes each, and lets it go with the
/// dictionary.
///
/// Threads: a Summarizer serves one thread at a time (keep one per
/// thread); it may move to another thread between calls. Summarizers on
/// several threads may share one Dictionary. Movable, not copyable; a
/// moved-from Summarizer may only be destroyed or assigned to.
class VELLUMTRACE_API Summarizer {
 public:
  explicit Summarizer(Dictionary dictionary);
  ~Summarizer();
  Summarizer(Summarizer&&) noexcept;
  Summarizer& operator=(Summarizer&&) noexcept;
  Summarizer(const Summarizer&) = delete;
  Summarizer& operator=(const Summarizer&) = delete;

  /// Summarises `utf8_text` (a leading byte-order mark is ignored). Fails,
  /// with no partial result, on invalid UTF-8 (kInvalidUtf8), a NUL byte
  /// (kNulInText), or a text over Options::max_length (kTextTooLong); each
  /// with the byte offset of the fault. Never throws.
  Result<Summary> Summarize(std::string_view utf8_text, const Options& options = {});

  /// The dictionary every call uses.
  const Dictionary& dictionary() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_SUMMARIZER_H_
