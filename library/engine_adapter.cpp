#include "library/engine_adapter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
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
#include "text/ascii_narrow.h"
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

// A short ASCII text is narrowed on the stack and copied in once (no
// allocation, no fill); any other goes through the codec.
inline void AssignUtf8(std::string& out, std::u16string_view text) {
  char narrow[kNarrowMostUnits];
  if (NarrowAscii(text, narrow)) {
    out.assign(narrow, text.size());
  } else {
    out = EncodeUtf8(text);
  }
}

// Sets the empty `out` to the `n` bytes at `from`, which has fifteen
// readable. A short string (all but a few keywords) is filled by a copy of
// fixed size, then cut to length: a copy of the exact length branches on
// it, and word lengths follow no pattern the processor could foresee.
inline void AssignShort(std::string& out, const char* from, size_t n) {
  if (n > 15) [[unlikely]] {
    out.assign(from, n);
    return;
  }
  out.assign(from, 15);
  out.resize(n);
}

#if defined(__SSE2__)
// Sets the empty `out` to the first `n` (at most fifteen) of `bytes`,
// stored from the register. Bytes just stored to memory and read back
// from within would wait for the store to finish (its forwarding fails
// for such reads), and a keyword's word is read right after it is
// narrowed.
inline void AssignLanes(std::string& out, __m128i bytes, size_t n) {
  out.resize(15);
  char* to = out.data();
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to), bytes);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 7), _mm_srli_si128(bytes, 7));
  out.resize(n);
}
#endif

// The important words as the library's keywords, the synthetic closing
// word left out; `stems` is scratch.
void TakeKeywords(const Article& article, const std::vector<TextTable::Id>& importantWords,
                  std::vector<std::u16string_view>& stems, RunResult* result) {
  result->keywords.clear();
  result->keywords.reserve(importantWords.size());
  result->titleWordCount = 0;
  // Most stems lie in their first word (or do but for a capital), and their
  // text is read from there with the word's. The others lie scattered in
  // the memo: looked up first in a loop of independent loads, so that their
  // cache misses overlap, rather than one at a time between the strings'
  // work.
  stems.clear();
  for (const TextTable::Id id : importantWords) {
    if (article.stemInFirstWord[id].Found()) {
      stems.emplace_back();
    } else {
      stems.push_back(article.StemText(id));
      __builtin_prefetch(stems.back().data());
    }
  }
  // Fifteen bytes past the longest word are readable (AssignShort).
  char narrow[kNarrowMostUnits + 15] = {};
  for (size_t rank = 0; rank < importantWords.size(); ++rank) {
    const TextTable::Id id = importantWords[rank];
    if (article.IsSyntheticWord(article.stemFirstWord[id])) continue;
    Keyword& keyword = result->keywords.emplace_back();
    const std::u16string_view word = article.EntryWord(id);
    const StemInToken place = article.stemInFirstWord[id];
#if defined(__SSE2__)
    // Most words, those with sixteen units of the text from their start:
    // narrowed in a register, the strings stored from there.
    const auto at = static_cast<size_t>(word.data() - article.text.data());
    __m128i lanes;
    const bool inLanes =
        word.size() <= 15 && at + 16 <= article.text.size() && NarrowAscii16(word, &lanes);
    if (inLanes) {
      AssignLanes(keyword.word, lanes, word.size());
      _mm_storeu_si128(reinterpret_cast<__m128i*>(narrow), lanes);  // for a stem within
    }
#else
    constexpr bool inLanes = false;
#endif
    const bool ascii = inLanes || NarrowAscii(word, narrow);
    if (ascii) {
      if (!inLanes) AssignShort(keyword.word, narrow, word.size());
      if (place.Found()) {
#if defined(__SSE2__)
        if (inLanes && place.start == 0) {
          AssignLanes(keyword.stem, lanes, place.units);
        } else
#endif
        {
          AssignShort(keyword.stem, narrow + place.start, place.units);
        }
        // Without a branch; a lowered stem is never empty, and an empty
        // one's terminator gains nothing.
        keyword.stem.data()[0] =
            static_cast<char>(keyword.stem.data()[0] + (place.firstLowered ? 'a' - 'A' : 0));
      } else {
        AssignUtf8(keyword.stem, stems[rank]);
      }
    } else {
      keyword.word = EncodeUtf8(word);
      AssignUtf8(keyword.stem, article.StemText(id));
    }
    keyword.count = article.stemCounts[id];
    if (rank < kTitleWords) ++result->titleWordCount;
  }
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
  result->output = engine.RunSummary(SummarizerEngine::TextWithoutNul{std::move(text)},
                                     SelectionRule{options.percent, options.sentences});
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
  TakeKeywords(article, run.grading.importantWords, m_stemScratch, result);
  return Status();
}

}  // namespace vellumtrace::adapter
