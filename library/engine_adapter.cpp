#include "library/engine_adapter.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "text/utf_codec.h"
#include "dictionary/backends/libxml2_reader.h"
#include "engine/alert.h"
#include "engine/debug_output.h"
#include "engine/engine_services.h"
#include "engine/module_locator.h"
#include "engine/summarizer_engine.h"
#include "grading/rank_weight.h"

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
  Utf8Error where;
  if (!DecodeUtf8(path, &impl->enginePath, &where)) {
    return Status(StatusCode::kInvalidArgument, "the dictionary path is not valid UTF-8");
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::u8path(path), ec)) {
    return Status(StatusCode::kDictionaryUnavailable, "no dictionary file at " + path);
  }
  // A run on an empty text reads the whole dictionary and alerts on
  // anything the engine cannot use.
  Platform platform(nullptr);
  SummarizerEngine engine(platform.Services(&platform.nullDebug));
  engine.m_dictionaryPath = impl->enginePath;
  engine.RunSummary(u"", 20);
  if (platform.alert.shown() > 0) {
    return Status(StatusCode::kDictionaryUnavailable,
                  "cannot use the dictionary " + path + ": " + platform.alert.lastText());
  }
  return std::shared_ptr<const Dictionary::Impl>(std::move(impl));
}

Status Run(const Dictionary::Impl& dictionary, std::u16string_view text, int percent,
           bool html, const Options& options, RunResult* result) {
  Platform platform(&options);
  CallbackDebugOutput debug(options);
  SummarizerEngine engine(platform.Services(&debug));
  engine.m_dictionaryPath = dictionary.enginePath;
  engine.m_htmlOutput = html ? 1 : 0;
  result->output = engine.RunSummary(text, percent);
  if (debug.IsEnabled()) debug.Flush(true);
  if (platform.alert.shown() > 0) {
    return Status(StatusCode::kDictionaryUnavailable,
                  "cannot use the dictionary " + dictionary.path + ": " +
                      platform.alert.lastText());
  }
  result->sentences.clear();
  result->sentences.reserve(engine.m_sentences.size());
  for (const auto& sentence : engine.m_sentences) {
    result->sentences.push_back({sentence->words.size(), sentence->grade, sentence->selected != 0});
  }
  result->keywords.clear();
  result->keywords.reserve(engine.m_importantWords.size());
  for (const auto& entry : engine.m_importantWords) {
    result->keywords.push_back({entry->word, entry->stem, entry->count});
  }
  result->titleWordCount = std::min(kTitleWords, result->keywords.size());
  return Status();
}

}  // namespace vellumtrace::adapter
