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

// Everything one run knows. Nothing passes from one run to the next: a new
// run starts from an emptied one (see Clear).
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

  // Empties the run for the next one. Buffers of an ordinary text keep their
  // room, so that a series of news-sized runs allocates almost nothing; a
  // large text's go back to the system at once, so that two runs never hold
  // a large text's memory together.
  void Clear();
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_SUMMARY_RUN_H_
