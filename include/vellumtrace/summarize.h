/// @file
/// The Vellumtrace C++ API: include this one header.
#ifndef VELLUMTRACE_SUMMARIZE_H_
#define VELLUMTRACE_SUMMARIZE_H_

#include <string_view>

#include "vellumtrace/dictionary.h"
#include "vellumtrace/export.h"
#include "vellumtrace/options.h"
#include "vellumtrace/status.h"
#include "vellumtrace/summarizer.h"
#include "vellumtrace/summary.h"
#include "vellumtrace/version.h"

namespace vellumtrace {

/// Summarises `utf8_text` (a leading byte-order mark is ignored) with
/// `dictionary`, as Summarizer::Summarize does, through a summarizer kept
/// for the calling thread. Fails, with no partial result, on invalid UTF-8,
/// a NUL byte, or a text over Options::max_length. Never throws. Safe to
/// call from many threads at once.
VELLUMTRACE_API Result<Summary> Summarize(const Dictionary& dictionary,
                                          std::string_view utf8_text,
                                          const Options& options = {});

/// The library's version, "MAJOR.MINOR.PATCH".
VELLUMTRACE_API const char* Version();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_SUMMARIZE_H_
