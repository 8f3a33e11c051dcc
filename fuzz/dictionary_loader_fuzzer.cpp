// Any bytes as a dictionary file: the load either succeeds or fails
// cleanly, a loaded dictionary dumps without fault, and reading it again
// gives the same items.
#include <cstddef>
#include <cstdint>

#include "dictionary/dictionary_loader.h"
#include "dictionary/section_names.h"
#include "engine/summarizer_engine.h"
#include "fuzz/fuzz_support.h"

using namespace vellumtrace;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const fuzz::ScratchFile scratch;
  const std::u16string path = fuzz::Widen(scratch.Write(fuzz::AsView(data, size)));

  fuzz::CountingPlatform platform;
  SummarizerEngine engine(platform.Services());
  const int loaded = engine.LoadDictionary(path);
  // The alert stands for exactly the failed load; the reader itself never
  // fails short of memory.
  if ((loaded == 0) != (platform.alert.shown == 1) || platform.diagnostic.written != 0) {
    __builtin_trap();
  }
  engine.m_dictionary.DumpRuleLists(platform.debug);

  // The loader's own steps, on every section name and on a name that no
  // section has.
  auto document = LoadDictionaryDocument(path, platform.reader, platform.diagnostic);
  if ((document != nullptr) != (loaded != 0)) __builtin_trap();
  if (document == nullptr) return 0;
  for (std::u16string_view name :
       {section::kGraderTerms, section::kStep1Pre, section::kStep1Post, section::kManual,
        section::kPre, section::kPost, section::kSynonyms, section::kLinebreak,
        section::kLinedontbreak, std::u16string_view(u"i")}) {
    RuleList list;
    if (!ReadSection(*document, name, list, platform.diagnostic)) __builtin_trap();
    if (name == section::kGraderTerms && list != engine.m_grader_tc) __builtin_trap();
    if (name == section::kLinebreak && list != engine.m_dictionary.m_linebreak) {
      __builtin_trap();
    }
  }
  return 0;
}
