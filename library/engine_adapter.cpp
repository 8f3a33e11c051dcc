#include "library/engine_adapter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/alert.h"
#include "base/debug_output.h"
#include "base/diagnostic.h"
#include "base/module_locator.h"
#include "dictionary/dictionary_cache.h"
#include "dictionary/dictionary_loader.h"
#include "engine/engine_services.h"
#include "engine/summarizer_engine.h"
#include "grading/rank_weight.h"
#include "library/fork_guard.h"
#include "library/memo_shelf.h"
#include "platform/linux/libxml2_reader.h"
#include "text/utf_codec.h"

namespace vellumtrace::adapter {
namespace {

// Hands the dumps to the caller's callback in UTF-8 chunks; converting
// each small fragment alone would cost more than the dump itself.
class CallbackDebugOutput final : public DebugOutput {
 public:
  // The callback of the run in progress; null between runs.
  void SetOptions(const Options* options) { m_options = options; }
  void Write(std::u16string_view fragment) override {
    m_pending += fragment;
    if (m_pending.size() >= kChunk) Flush(false);
  }
  bool IsEnabled() const override { return m_options != nullptr && m_options->on_debug; }
  // Passes on what is pending; keeps a trailing high surrogate unless `all`.
  void Flush(bool all) {
    if (m_pending.empty()) return;
    size_t n = m_pending.size();
    if (!all && m_pending[n - 1] >= 0xD800 && m_pending[n - 1] <= 0xDBFF) --n;
    const std::string bytes = EncodeUtf8(std::u16string_view(m_pending).substr(0, n));
    m_pending.erase(0, n);
    m_options->on_debug(bytes);
  }

 private:
  static constexpr size_t kChunk = 64 * 1024;
  const Options* m_options = nullptr;
  std::u16string m_pending;
};

// The reader's failure trace belongs to the command's terminal; a library
// reports the failed load through the alert instead.
class SilentDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override {}
};

// A run has a keyword for most distinct words: a short ASCII one is
// narrowed on the stack and copied in once (no allocation, no fill), the
// rest go through the codec. The loops
// have no early exit, so that the compiler does them several units at a
// time.
inline void AssignUtf8(std::string& out, std::u16string_view text) {
  char narrow[64];
  if (text.size() <= sizeof narrow) {
    char16_t any = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      any |= text[i];
      narrow[i] = static_cast<char>(text[i]);
    }
    if (any < 0x80) {
      out.assign(narrow, text.size());
      return;
    }
  }
  out = EncodeUtf8(text);
}

bool IsReadableFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  ::close(fd);
  return regular;
}

// The path is always set explicitly, so the folder is never used.
class NoModuleLocator final : public ModuleLocator {
 public:
  std::u16string ModuleFolder() override { return u"./"; }
  char16_t PathSeparator() const override { return u'/'; }
};

// The library never loads a file during a run (a Dictionary is compiled
// up front), so the alert has nothing to say.
class NoAlert final : public Alert {
 public:
  void Show(std::u16string_view, std::u16string_view) override {}
};

}  // namespace

Result<std::shared_ptr<const DictionaryImpl>> LoadDictionary(const std::string& path) {
  GuardForks();
  auto impl = std::make_shared<DictionaryImpl>();
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
    // A file that opens was read and found wanting; one that does not open
    // is not there for us.
    const bool readable = load.status == DictionaryStatus::kOverLimit || IsReadableFile(path);
    return Status(readable ? StatusCode::kDictionaryInvalid : StatusCode::kDictionaryUnavailable,
                  "cannot use the dictionary " + path + ": " + EncodeUtf8(load.reason));
  }
  impl->compiled = std::move(load.dictionary);
  return std::shared_ptr<const DictionaryImpl>(std::move(impl));
}

std::shared_ptr<const DictionaryImpl> MissingDictionary(const std::string& path) {
  static const auto empty = std::make_shared<const CompiledDictionary>();
  auto impl = std::make_shared<DictionaryImpl>();
  impl->path = path;
  impl->compiled = empty;
  impl->missing = true;
  return impl;
}

struct Runner::Engine {
  Engine() : engine(EngineServices{&debug, &alert, &diagnostic, &locator, &reader}) {}
  CallbackDebugOutput debug;
  NoAlert alert;
  SilentDiagnostic diagnostic;
  NoModuleLocator locator;
  Libxml2Reader reader;
  SummarizerEngine engine;
};

Runner::Runner() : m_engine(std::make_unique<Engine>()) { GuardForks(); }

Runner::~Runner() {
  try {
    MemoShelf::Process().Put(m_engine->engine.TakeTokenMemo());
  } catch (...) {
    // Out of memory: the memo is only lost, never wrong.
  }
}

Status Runner::Run(const DictionaryImpl& dictionary, std::u16string text,
                   const Options& options, RunResult* result) {
  CallbackDebugOutput& debug = m_engine->debug;
  SummarizerEngine& engine = m_engine->engine;
  // The callback belongs to this run alone, whatever way the run ends.
  struct Unbind {
    CallbackDebugOutput& debug;
    ~Unbind() { debug.SetOptions(nullptr); }
  } unbind{debug};
  debug.SetOptions(&options);
  if (engine.Memo().BoundDictionary() != dictionary.compiled) {
    MemoShelf& shelf = MemoShelf::Process();
    shelf.Put(engine.TakeTokenMemo());
    engine.AdoptTokenMemo(shelf.Take(dictionary.compiled.get()));
  }
  engine.SetDictionary(dictionary.compiled);
  engine.SetOutputStyle(options.format == Format::kHtml ? OutputStyle::kHtml
                                                        : OutputStyle::kPlainText);
  result->output = engine.RunSummary(std::move(text), SelectionRule{options.percent,
                                                                    options.sentences});
  if (debug.IsEnabled()) debug.Flush(true);

  const SummaryRun& run = engine.LastRun();
  const Article& article = run.article;
  result->sentences.clear();
  result->sentences.reserve(article.sentences.size());
  for (size_t i = 0; i < article.sentences.size(); ++i) {
    const SentenceSpan& span = article.sentences[i];
    RunSentence sentence{0, 0, run.grading.grades[i],
                         i < run.selection.size() && run.selection[i] != 0};
    // The last sentence ends with the synthetic word, which has no place.
    const size_t words = span.wordCount - (i + 1 == article.sentences.size() ? 1 : 0);
    if (span.wordCount != 0 && words != 0) {
      const size_t last = span.firstWord + words - 1;
      sentence.start = article.WordOffset(span.firstWord);
      sentence.end = article.WordOffset(last) + article.Word(last).size();
    }
    result->sentences.push_back(sentence);
  }
  result->keywords.clear();
  result->keywords.reserve(run.grading.importantWords.size());
  result->titleWordCount = 0;
  // The stems' texts lie scattered in the memo: looked up first in a loop
  // of independent loads, so that their cache misses overlap, rather than
  // one at a time between the strings' work.
  std::vector<std::u16string_view>& stems = m_stemScratch;
  stems.clear();
  for (const TextTable::Id id : run.grading.importantWords) {
    stems.push_back(article.StemText(id));
    __builtin_prefetch(stems.back().data());
  }
  for (size_t rank = 0; rank < run.grading.importantWords.size(); ++rank) {
    const TextTable::Id id = run.grading.importantWords[rank];
    if (article.IsSyntheticWord(article.stemFirstWord[id])) continue;
    Keyword& keyword = result->keywords.emplace_back();
    AssignUtf8(keyword.word, article.EntryWord(id));
    AssignUtf8(keyword.stem, stems[rank]);
    keyword.count = article.stemCounts[id];
    if (rank < kTitleWords) ++result->titleWordCount;
  }
  return Status();
}

}  // namespace vellumtrace::adapter
