#include "library/engine_adapter.h"

#include <algorithm>
#include <string>
#include <utility>

#include "dictionary/dictionary_cache.h"
#include "dictionary/dictionary_loader.h"
#include "engine/alert.h"
#include "engine/debug_output.h"
#include "engine/engine_services.h"
#include "engine/module_locator.h"
#include "engine/summarizer_engine.h"
#include "grading/rank_weight.h"
#include "platform/linux/libxml2_reader.h"
#include "text/utf_codec.h"

namespace vellumtrace::adapter {
namespace {

// Hands the dumps to the caller's callback in UTF-8 chunks; converting
// each small fragment alone would cost more than the dump itself.
class CallbackDebugOutput final : public DebugOutput {
 public:
  explicit CallbackDebugOutput(const Options& options) : m_options(options) {}
  void Write(std::u16string_view fragment) override {
    m_pending += fragment;
    if (m_pending.size() >= kChunk) Flush(false);
  }
  bool IsEnabled() const override { return static_cast<bool>(m_options.on_debug); }
  // Passes on what is pending; keeps a trailing high surrogate unless `all`.
  void Flush(bool all) {
    if (m_pending.empty()) return;
    size_t n = m_pending.size();
    if (!all && m_pending[n - 1] >= 0xD800 && m_pending[n - 1] <= 0xDBFF) --n;
    const std::string bytes = EncodeUtf8(std::u16string_view(m_pending).substr(0, n));
    m_pending.erase(0, n);
    m_options.on_debug(bytes);
  }

 private:
  static constexpr size_t kChunk = 64 * 1024;
  const Options& m_options;
  std::u16string m_pending;
};

class CallbackAlert final : public Alert {
 public:
  explicit CallbackAlert(const Options* options) : m_options(options) {}
  void Show(std::u16string_view text, std::u16string_view caption) override {
    m_lastText = EncodeUtf8(text);
    ++m_shown;
    if (m_options && m_options->on_alert) m_options->on_alert(m_lastText, EncodeUtf8(caption));
  }
  int shown() const { return m_shown; }
  const std::string& lastText() const { return m_lastText; }

 private:
  const Options* m_options;
  int m_shown = 0;
  std::string m_lastText;
};

// The reader's failure trace belongs to the command's terminal; a library
// reports the failed load through the alert instead.
class SilentDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override {}
};

// The path is always set explicitly, so the folder is never used.
class NoModuleLocator final : public ModuleLocator {
 public:
  std::u16string ModuleFolder() override { return u"./"; }
  char16_t PathSeparator() const override { return u'/'; }
};

struct Platform {
  explicit Platform(const Options* options) : alert(options) {}
  EngineServices Services(DebugOutput* debug) {
    return {debug, &alert, &diagnostic, &locator, &reader};
  }
  NullDebugOutput nullDebug;
  CallbackAlert alert;
  SilentDiagnostic diagnostic;
  NoModuleLocator locator;
  Libxml2Reader reader;
};

}  // namespace

Result<std::shared_ptr<const Dictionary::Impl>> LoadDictionary(const std::string& path) {
  auto impl = std::make_shared<Dictionary::Impl>();
  impl->path = path;
  std::u16string enginePath;
  if (!DecodeUtf8(path, &enginePath, nullptr)) {
    return Status(StatusCode::kInvalidArgument, "the dictionary path is not valid UTF-8");
  }
  Libxml2Reader reader;
  SilentDiagnostic diagnostic;
  DictionaryLoad load = vellumtrace::LoadDictionary(enginePath, reader, diagnostic,
                                                    DictionaryCache::Process());
  if (!load.Loaded()) {
    return Status(StatusCode::kDictionaryUnavailable,
                  "cannot use the dictionary " + path + ": " + EncodeUtf8(load.reason));
  }
  impl->compiled = std::move(load.dictionary);
  return std::shared_ptr<const Dictionary::Impl>(std::move(impl));
}

Status Run(const Dictionary::Impl& dictionary, std::u16string_view text, int percent,
           bool html, const Options& options, RunResult* result) {
  Platform platform(&options);
  CallbackDebugOutput debug(options);
  SummarizerEngine engine(platform.Services(&debug));
  engine.SetDictionary(dictionary.compiled);
  engine.SetOutputStyle(html ? OutputStyle::kHtml : OutputStyle::kPlainText);
  result->output = engine.RunSummary(std::u16string(text), percent);
  if (debug.IsEnabled()) debug.Flush(true);

  const SummaryRun& run = engine.LastRun();
  const Article& article = run.article;
  result->sentences.clear();
  result->sentences.reserve(article.sentences.size());
  for (size_t i = 0; i < article.sentences.size(); ++i) {
    result->sentences.push_back({article.sentences[i].wordCount, run.grading.grades[i],
                                 i < run.selection.size() && run.selection[i] != 0});
  }
  result->keywords.clear();
  result->keywords.reserve(run.grading.importantWords.size());
  for (const TextTable::Id id : run.grading.importantWords) {
    result->keywords.push_back({std::u16string(article.EntryWord(id)),
                                std::u16string(article.StemText(id)), article.stemCounts[id]});
  }
  result->titleWordCount = std::min(kTitleWords, result->keywords.size());
  return Status();
}

}  // namespace vellumtrace::adapter
