// Any bytes as a dictionary file: the load either succeeds or fails
// cleanly, a loaded dictionary dumps without fault, and reading it again
// gives the same items.
#include <cstddef>
#include <cstdint>

#include "dictionary/compiled_dictionary.h"
#include "dictionary/dictionary_loader.h"
#include "engine/summarizer_engine.h"
#include "fuzz/fuzz_support.h"
#include "output/diagnostic_dumps.h"

using namespace vellumtrace;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile scratch;
  const std::u16string path = fuzz::Widen(scratch.Write(fuzz::AsView(data, size)));

  fuzz::CountingPlatform platform;
  SummarizerEngine engine(platform.Services());
  engine.SetDictionaryPath(path);
  const SummaryRun& run = engine.Analyse(u"");
  const bool loaded = run.dictionaryStatus == DictionaryStatus::kLoaded;
  // The alert stands for exactly the failed load, with its reason; the
  // reader itself never fails short of memory.
  if (loaded != (platform.alert.shown == 0) || loaded != run.dictionaryReason.empty() ||
      platform.diagnostic.written != 0) {
    __builtin_trap();
  }
  DumpRuleLists(run.dictionary->Lists(), platform.debug);

  // A second read, past the cache, ends the same way with the same items,
  // and the compiled rules stem every item of the file.
  const DictionaryLoad again = ReadDictionaryFile(path, platform.reader, platform.diagnostic);
  if (again.status != run.dictionaryStatus || again.reason != run.dictionaryReason) {
    __builtin_trap();
  }
  const LanguageDictionary& lists = again.dictionary->Lists();
  if (lists.m_grader_tc != run.dictionary->Lists().m_grader_tc ||
      lists.m_linebreak != run.dictionary->Lists().m_linebreak) {
    __builtin_trap();
  }
  for (const RuleList* list : {&lists.m_grader_tc, &lists.m_linebreak, &lists.m_step1_post}) {
    for (const std::u16string& item : *list) {
      const std::u16string stem = again.dictionary->Stem(item);
      if (stem.size() > item.size() + again.dictionary->RuleGrowth()) __builtin_trap();
      static_cast<void>(again.dictionary->IsSentenceBreak(item));
    }
  }
  return 0;
}
