#ifndef VELLUMTRACE_ENGINE_SUMMARY_RUN_H_
#define VELLUMTRACE_ENGINE_SUMMARY_RUN_H_

#include <memory>
#include <string>

#include "analysis/article.h"
#include "dictionary/compiled_dictionary.h"
#include "dictionary/dictionary_loader.h"
#include "grading/grading.h"
#include "grading/selection.h"

namespace vellumtrace {

// Everything one run knows, built fresh for each run so that nothing passes
// from one run to the next.
struct SummaryRun {
  // The dictionary of the run (the empty one when it could not be loaded),
  // how its load ended and why.
  std::shared_ptr<const CompiledDictionary> dictionary;
  DictionaryStatus dictionaryStatus = DictionaryStatus::kUnreadable;
  std::u16string dictionaryReason;
  // The text (up to its first NUL), its words, sentences and stems.
  Article article;
  // Important words, sentence grades and title.
  Grading grading;
  // The sentences chosen for the result (empty until a selection ran).
  Selection selection;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_SUMMARY_RUN_H_
