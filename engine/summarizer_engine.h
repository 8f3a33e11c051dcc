#ifndef VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_
#define VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "analysis/token_memo.h"
#include "dictionary/compiled_dictionary.h"
#include "engine/engine_services.h"
#include "engine/summary_run.h"

namespace vellumtrace {

// The form of a run's result.
enum class OutputStyle {
  kPlainText,  // the selected sentences' words
  kHtml,       // the whole text as a page, the selected sentences highlighted
};

// One summarizer. Between runs it keeps its settings and a memo of what the
// dictionary makes of the tokens seen (which changes no result); each run
// builds its own SummaryRun, which stays readable until the next run
// starts.
//
// A run: the dictionary (through the process's cache of compiled
// dictionaries, unless one was given), then analyse (split, stem, count,
// grade), select (by percent), render (text or HTML), with the dumps and
// the alert where they always were. One engine serves one thread at a time;
// engines on several threads may share a CompiledDictionary.
//
// Engine operations throw nothing themselves; allocation failure surfaces
// as std::bad_alloc and is caught by the caller at the platform boundary.
class SummarizerEngine {
 public:
  // The dictionary path starts as <ModuleFolder>dic<sep>en.xml.
  explicit SummarizerEngine(const EngineServices& services);
  ~SummarizerEngine();

  SummarizerEngine(const SummarizerEngine&) = delete;
  SummarizerEngine& operator=(const SummarizerEngine&) = delete;

  // The dictionary file that each run loads (and reloads when it changed).
  void SetDictionaryPath(std::u16string path);
  const std::u16string& DictionaryPath() const { return m_dictionaryPath; }
  // <ModuleFolder>dic<sep><code>.xml
  std::u16string DictionaryPathFor(std::u16string_view languageCode) const;
  // A dictionary for every run instead of the file; null returns to the
  // file. The rule dumps then show this dictionary's lists.
  void SetDictionary(std::shared_ptr<const CompiledDictionary> dictionary);
  void SetOutputStyle(OutputStyle style) { m_outputStyle = style; }
  OutputStyle GetOutputStyle() const { return m_outputStyle; }

  // One complete run: text (up to its first NUL) and percent in, result out.
  std::u16string RunSummary(std::u16string text, int32_t percent);
  // The same, with the sentences chosen by `rule`.
  std::u16string RunSummary(std::u16string text, const SelectionRule& rule);
  // A text its caller has already found to hold no NUL (the library refuses
  // one): the run does not look for one again.
  struct TextWithoutNul {
    std::u16string text;
  };
  std::u16string RunSummary(TextWithoutNul text, const SelectionRule& rule);
  // The first half of a run: the dictionary (with its alert) and the
  // analysis, without dumps, selection or rendering; for callers that
  // select in several ways (SelectByPercentage) on one analysis.
  const SummaryRun& Analyse(std::u16string text);

  // The last run (an empty one before the first).
  const SummaryRun& LastRun() const { return *m_run; }

  // What the engine has learnt of the tokens, handed to another engine
  // (this one starts afresh), and taken from one. Either way no result
  // changes: a memo bound to another dictionary starts afresh at the next
  // run.
  TokenMemo TakeTokenMemo() { return std::exchange(m_tokenMemo, TokenMemo()); }
  void AdoptTokenMemo(TokenMemo memo) { m_tokenMemo = std::move(memo); }
  const TokenMemo& Memo() const { return m_tokenMemo; }

 private:
  void StartRun(std::u16string text);
  std::u16string RunOver(std::u16string text, const SelectionRule& rule);
  DebugOutput& Debug() const { return *m_services.debugOutput; }

  EngineServices m_services;
  std::u16string m_dictionaryPath;
  std::shared_ptr<const CompiledDictionary> m_fixedDictionary;
  OutputStyle m_outputStyle = OutputStyle::kPlainText;
  std::unique_ptr<SummaryRun> m_run;
  // What the current dictionary makes of the tokens runs have seen.
  TokenMemo m_tokenMemo;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_SUMMARIZER_ENGINE_H_
