#ifndef VELLUMTRACE_TESTS_DIFFERENTIAL_ENGINE_ADAPTER_H_
#define VELLUMTRACE_TESTS_DIFFERENTIAL_ENGINE_ADAPTER_H_

#include <string>

#include "engine/summarizer_engine.h"

namespace vellumtrace::differential {

// One run with the given settings: the only place the differential test
// touches the engine's interface.
inline std::u16string Run(SummarizerEngine& engine, const std::u16string& dictionaryPath,
                          bool html, const std::u16string& text, int32_t percent) {
  engine.SetDictionaryPath(dictionaryPath);
  engine.SetOutputStyle(html ? OutputStyle::kHtml : OutputStyle::kPlainText);
  return engine.RunSummary(text, percent);
}

}  // namespace vellumtrace::differential

#endif  // VELLUMTRACE_TESTS_DIFFERENTIAL_ENGINE_ADAPTER_H_
