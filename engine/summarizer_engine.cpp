#include "engine/summarizer_engine.h"

#include <utility>

#include "engine/module_locator.h"
#include "engine/text_bounds.h"

namespace vellumtrace {

SummarizerEngine::SummarizerEngine(const EngineServices& services)
    : m_services(services) {
  m_dictionaryPath = DictionaryPathFor(u"en");
}

SummarizerEngine::~SummarizerEngine() = default;

std::u16string SummarizerEngine::ModuleFolder() const {
  return m_services.moduleLocator->ModuleFolder();
}

std::u16string SummarizerEngine::DictionaryPathFor(
    std::u16string_view languageCode) const {
  std::u16string path = ModuleFolder();
  path += u"dic";
  path += m_services.moduleLocator->PathSeparator();
  path += languageCode;
  path += u".xml";
  return path;
}

void SummarizerEngine::SetText(std::u16string text) { m_text = std::move(text); }

void SummarizerEngine::ResetRun() {
  m_sentences.clear();
  m_title.clear();
  m_dictionary.Clear();
  m_grader_tc.clear();
  m_wordList.clear();
  m_importantWords.clear();
  m_output.clear();
  m_stemCache.clear();
  m_wordListIndex.clear();
  m_breakCache.clear();
  m_selectionOrder.clear();
  m_selectionCursor = 0;
}

std::u16string SummarizerEngine::RunSummary(std::u16string_view text,
                                            int32_t percent) {
  std::u16string runText(TextUpToNul(text));
  ResetRun();
  SetText(std::move(runText));
  LoadDictionary(m_dictionaryPath);
  SplitText();
  m_dictionary.DumpRuleLists(Debug());
  Grade();
  DumpArticle();
  SelectByPercentage(percent);
  if (m_htmlOutput == 1) {
    RenderHtml();
  } else {
    RenderPlainText();
  }
  DumpSummary();
  return m_output;
}

}  // namespace vellumtrace
