#include "engine/summarizer_engine.h"

#include <utility>

#include "dictionary/dictionary_cache.h"
#include "dictionary/section_names.h"
#include "base/alert.h"
#include "base/debug_output.h"
#include "base/module_locator.h"
#include "engine/text_bounds.h"
#include "output/diagnostic_dumps.h"
#include "output/render.h"

namespace vellumtrace {

SummarizerEngine::SummarizerEngine(const EngineServices& services)
    : m_services(services), m_run(std::make_unique<SummaryRun>()) {
  m_dictionaryPath = DictionaryPathFor(u"en");
}

SummarizerEngine::~SummarizerEngine() = default;

namespace {

// Room kept from one run to the next: enough for any news-sized text.
constexpr size_t kKeptBytes = 256 * 1024;

// Hands an emptied buffer with its room to `to`, unless the room is large.
template <typename Container>
void KeepRoom(Container& from, Container& to) {
  if (from.capacity() * sizeof(typename Container::value_type) > kKeptBytes) return;
  from.clear();
  to.swap(from);
}

}  // namespace

void SummaryRun::Clear() {
  // Every field starts as new; only the buffers' room passes on.
  SummaryRun next;
  KeepRoom(article.words, next.article.words);
  KeepRoom(article.sentences, next.article.sentences);
  KeepRoom(article.stemIds, next.article.stemIds);
  KeepRoom(article.stemCounts, next.article.stemCounts);
  KeepRoom(article.stemFirstWord, next.article.stemFirstWord);
  KeepRoom(article.stemFirstWordUnits, next.article.stemFirstWordUnits);
  KeepRoom(article.stemInFirstWord, next.article.stemInFirstWord);
  KeepRoom(article.stemIsGraderTerm, next.article.stemIsGraderTerm);
  KeepRoom(grading.importantWords, next.grading.importantWords);
  KeepRoom(grading.grades, next.grading.grades);
  KeepRoom(grading.title, next.grading.title);
  *this = std::move(next);
}

std::u16string SummarizerEngine::DictionaryPathFor(std::u16string_view languageCode) const {
  std::u16string path = m_services.moduleLocator->ModuleFolder();
  path += u"dic";
  path += m_services.moduleLocator->PathSeparator();
  path += languageCode;
  path += u".xml";
  return path;
}

void SummarizerEngine::SetDictionaryPath(std::u16string path) {
  m_dictionaryPath = std::move(path);
}

void SummarizerEngine::SetDictionary(std::shared_ptr<const CompiledDictionary> dictionary) {
  m_fixedDictionary = std::move(dictionary);
}

void SummarizerEngine::StartRun(std::u16string text) {
  // The dictionary comes first, with its alert, before any state of the run
  // changes: the alert's message box lets the host dispatch other calls
  // meanwhile, and those must find the engine whole.
  std::shared_ptr<const CompiledDictionary> dictionary;
  DictionaryStatus status = DictionaryStatus::kLoaded;
  std::u16string reason;
  if (m_fixedDictionary) {
    dictionary = m_fixedDictionary;
  } else {
    const std::u16string path = m_dictionaryPath;
    DictionaryLoad load = LoadDictionary(path, *m_services.xmlReader, *m_services.diagnostic,
                                         DictionaryCache::Process());
    if (!load.Loaded()) {
      m_services.alert->Show(alert::kDictionaryNotFound, alert::kCaption);
      m_services.alert->ShowDetail(u"dictionary " + path + u": " + load.reason);
    }
    dictionary = std::move(load.dictionary);
    status = load.status;
    reason = std::move(load.reason);
  }
  SummaryRun& run = *m_run;
  run.Clear();
  run.dictionary = std::move(dictionary);
  run.dictionaryStatus = status;
  run.dictionaryReason = std::move(reason);
  run.article.text = std::move(text);
  m_tokenMemo.Bind(run.dictionary);
  AnalyseText(run.article, m_tokenMemo);
  GradeArticle(run.article, run.grading);
}

const SummaryRun& SummarizerEngine::Analyse(std::u16string text) {
  text.resize(TextUpToNul(text).size());
  StartRun(std::move(text));
  return *m_run;
}

std::u16string SummarizerEngine::RunSummary(std::u16string text, int32_t percent) {
  return RunSummary(std::move(text), SelectionRule{static_cast<double>(percent), 0});
}

std::u16string SummarizerEngine::RunSummary(std::u16string text, const SelectionRule& rule) {
  text.resize(TextUpToNul(text).size());
  return RunOver(std::move(text), rule);
}

std::u16string SummarizerEngine::RunSummary(TextWithoutNul text, const SelectionRule& rule) {
  return RunOver(std::move(text.text), rule);
}

std::u16string SummarizerEngine::RunOver(std::u16string text, const SelectionRule& rule) {
  StartRun(std::move(text));
  SummaryRun& run = *m_run;
  Debug().BeginRun();
  DumpRuleLists(run.dictionary->Lists(), Debug());
  DumpArticle(run.article, Debug());
  run.selection = Select(run.article, run.grading.grades, rule);
  std::u16string result;
  if (m_outputStyle == OutputStyle::kHtml) {
    RenderHtml(run.article, run.selection, run.grading.title, result);
  } else {
    RenderPlainText(run.article, run.selection, result);
  }
  DumpSummary(run.article, run.grading, result, Debug());
  return result;
}

}  // namespace vellumtrace
