#ifndef VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_
#define VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dictionary/language_dictionary.h"
#include "dictionary/rule_list.h"
#include "engine/engine_services.h"
#include "engine/sentence.h"
#include "engine/word_entry.h"

namespace vellumtrace {

// Everything one summarizer instance knows. Each stage of a run is a member
// operation that reads and writes these members; only m_dictionaryPath
// survives from one run to the next.
//
// Engine operations throw nothing themselves; allocation failure surfaces
// as std::bad_alloc and is caught by the caller at the platform boundary.
class SummarizerEngine {
 public:
  // Sets m_dictionaryPath to <ModuleFolder>dic<sep>en.xml.
  explicit SummarizerEngine(const EngineServices& services);
  virtual ~SummarizerEngine();

  SummarizerEngine(const SummarizerEngine&) = delete;
  SummarizerEngine& operator=(const SummarizerEngine&) = delete;

  // One complete run: text (up to its first NUL) and percent in, result
  // out. The style comes from m_htmlOutput.
  std::u16string RunSummary(std::u16string_view text, int32_t percent);

  // The stages, in run order.
  void ResetRun();
  void SetText(std::u16string text);
  int LoadDictionary(const std::u16string& path);
  int LoadGraderTerms(const std::u16string& path);
  void SplitText();
  void Grade();
  void BuildWordList();
  bool CountStem(const std::u16string& stem);
  void BuildImportantWords();
  void SortImportantWords();
  void GradeSentences();
  void BuildTitle();
  void DumpArticle();
  void SelectByPercentage(int32_t percent);
  int64_t SelectNextSentence();
  void RenderHtml();
  std::u16string RenderSentenceHtml(const Sentence& sentence) const;
  void RenderPlainText();
  void DumpSummary();

  // Memoised per run: a token's break decision depends only on its text.
  bool IsSentenceBreak(const std::u16string& token);
  Sentence& NewSentence();
  // The stem of `word`, memoised for the current run.
  const std::u16string& StemWord(const std::u16string& word);

  std::u16string ModuleFolder() const;
  // <ModuleFolder>dic<sep><code>.xml
  std::u16string DictionaryPathFor(std::u16string_view languageCode) const;

  // The Article.
  std::vector<std::unique_ptr<Sentence>> m_sentences;
  std::u16string m_title;
  LanguageDictionary m_dictionary;
  RuleList m_grader_tc;
  WordList m_wordList;
  WordList m_importantWords;
  int32_t m_htmlOutput = 0;
  std::u16string m_text;
  std::u16string m_output;
  std::u16string m_dictionaryPath;

 private:
  DebugOutput& Debug() const { return *m_services.debugOutput; }

  EngineServices m_services;
  // Per-run indexes beside the ordered lists; they give the same answers
  // as the linear walks, in constant time.
  std::unordered_map<std::u16string, std::u16string> m_stemCache;
  std::unordered_map<std::u16string, size_t> m_wordListIndex;
  std::unordered_map<std::u16string, bool> m_breakCache;
  // Sentence indexes by descending grade, ties in text order, and the next
  // one to try; built on the first pick of a run.
  std::vector<size_t> m_selectionOrder;
  size_t m_selectionCursor = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_
