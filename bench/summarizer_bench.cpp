// Stage and whole-run timings on generated English-like text of 50 KB,
// 1 MB and 10 MB, with the bundled English dictionary; one article with a
// warm cache; the evaluation documents on one and two threads; and the two
// candidate hashes of the run's tables. Figures: bench/README.md.
#include <benchmark/benchmark.h>

#include <absl/container/flat_hash_map.h>
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/tokenizer.h"
#include "dictionary/dictionary_cache.h"
#include "dictionary/dictionary_loader.h"
#include "base/alert.h"
#include "base/diagnostic.h"
#include "base/debug_output.h"
#include "base/hash_table.h"
#include "engine/summarizer_engine.h"
#include "grading/grading.h"
#include "grading/selection.h"
#include "library/engine_adapter.h"
#include "library/memo_shelf.h"
#include "output/render.h"
#include "platform/linux/installed_module_locator.h"
#include "platform/linux/libxml2_reader.h"
#include "text/utf_codec.h"
#include "vellumtrace/summarize.h"

namespace vellumtrace {
namespace {

class QuietAlert final : public Alert {
 public:
  void Show(std::u16string_view, std::u16string_view) override {}
};
class QuietDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override {}
};
// Counts what a real sink would receive, so the dumps are not skipped.
class CountingOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view fragment) override { units += fragment.size(); }
  size_t units = 0;
};

// Deterministic text: a Zipf-like vocabulary of 20,000 words, capitalised
// sentence starts, commas, quotes and sentence ends.
std::u16string MakeText(size_t bytes) {
  std::mt19937 random(42);
  std::vector<std::u16string> vocabulary;
  const char16_t* syllables[] = {u"ka", u"lo", u"mi", u"ter", u"son", u"ra", u"ven",
                                 u"el", u"dor", u"is", u"an", u"ru", u"ple", u"th"};
  for (int i = 0; i < 20000; ++i) {
    std::u16string word;
    for (int n = 1 + i % 4, k = i; n > 0; --n, k /= 14) word += syllables[k % 14];
    vocabulary.push_back(word + (i % 7 == 0 ? u"s" : u""));
  }
  std::vector<double> weights;
  for (size_t i = 0; i < vocabulary.size(); ++i) weights.push_back(1.0 / (i + 1));
  std::discrete_distribution<size_t> pick(weights.begin(), weights.end());
  std::u16string text;
  text.reserve(bytes + 64);
  size_t inSentence = 0;
  while (text.size() < bytes) {
    std::u16string word = vocabulary[pick(random)];
    if (inSentence == 0) word[0] = static_cast<char16_t>(word[0] - u'a' + u'A');
    ++inSentence;
    if (random() % 11 == 0) word += u',';
    if (inSentence > 6 && random() % 9 == 0) {
      word += random() % 5 == 0 ? u".\"" : u".";
      inSentence = 0;
    }
    text += word;
    text += random() % 40 == 0 ? u"\n\n" : u" ";
  }
  return text;
}

constexpr int64_t k50K = 50 * 1000, k1M = 1000 * 1000, k10M = 10 * 1000 * 1000;

const std::u16string& TextOfSize(int64_t bytes) {
  static std::u16string small = MakeText(50 * 1000);
  static std::u16string medium = MakeText(1000 * 1000);
  static std::u16string large = MakeText(10 * 1000 * 1000);
  return bytes <= 50 * 1000 ? small : (bytes <= 1000 * 1000 ? medium : large);
}

struct BenchPlatform {
  BenchPlatform() : locator(u"" VELLUMTRACE_SOURCE_DIR "/") {}
  EngineServices Services(DebugOutput* out) {
    return {out, &alert, &diagnostic, &locator, &reader};
  }
  QuietAlert alert;
  QuietDiagnostic diagnostic;
  InstalledModuleLocator locator;
  Libxml2Reader reader;
  NullDebugOutput none;
};

std::u16string Widen(const std::string& bytes) {
  std::u16string text;
  Utf8Error error;
  DecodeUtf8(bytes, &text, &error);
  return text;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const CompiledDictionary& English() {
  static const auto dictionary = [] {
    BenchPlatform platform;
    return ReadDictionaryFile(u"" VELLUMTRACE_SOURCE_DIR "/dic/en.xml", platform.reader,
                              platform.diagnostic)
        .dictionary;
  }();
  return *dictionary;
}

void BM_Tokenize(benchmark::State& state) {
  const std::u16string& text = TextOfSize(state.range(0));
  std::vector<std::u16string> tokens;
  for (auto _ : state) {
    Tokenize(text, tokens);
    benchmark::DoNotOptimize(tokens.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// A parse of the file: what every run paid before the cache.
void BM_ReadDictionary(benchmark::State& state) {
  BenchPlatform platform;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReadDictionaryFile(u"" VELLUMTRACE_SOURCE_DIR "/dic/en.xml",
                                                platform.reader, platform.diagnostic));
  }
}

// What a run pays now: a stat of the file and a cache look-up.
void BM_LoadDictionaryCached(benchmark::State& state) {
  BenchPlatform platform;
  for (auto _ : state) {
    benchmark::DoNotOptimize(LoadDictionary(u"" VELLUMTRACE_SOURCE_DIR "/dic/en.xml",
                                            platform.reader, platform.diagnostic,
                                            DictionaryCache::Process()));
  }
}

// Split, stem and count.
void BM_AnalyseText(benchmark::State& state) {
  const std::u16string& text = TextOfSize(state.range(0));
  for (auto _ : state) {
    Article article;
    article.text = text;
    AnalyseText(article, English());
    benchmark::DoNotOptimize(article.words.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_Grade(benchmark::State& state) {
  Article article;
  article.text = TextOfSize(state.range(0));
  AnalyseText(article, English());
  for (auto _ : state) {
    Grading grading;
    GradeArticle(article, grading);
    benchmark::DoNotOptimize(grading.grades.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(article.text.size()));
}

void BM_SelectAndRender(benchmark::State& state) {
  Article article;
  article.text = TextOfSize(state.range(0));
  AnalyseText(article, English());
  Grading grading;
  GradeArticle(article, grading);
  for (auto _ : state) {
    const Selection selection =
        SelectByPercentage(article, grading.grades, 50, SelectionOrder::kGraded);
    std::u16string html;
    RenderHtml(article, selection, grading.title, html);
    benchmark::DoNotOptimize(html.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(article.text.size()));
}

void BM_RunSummary(benchmark::State& state) {
  BenchPlatform platform;
  CountingOutput dumps;
  const bool withDumps = state.range(1) != 0;
  SummarizerEngine engine(platform.Services(withDumps ? static_cast<DebugOutput*>(&dumps) : &platform.none));
  const std::u16string& text = TextOfSize(state.range(0));
  engine.SetOutputStyle(OutputStyle::kHtml);
  for (auto _ : state) benchmark::DoNotOptimize(engine.RunSummary(text, 20));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// The component's largest text: 49,999 code units, plain text, no dumps.
void BM_RunSummaryLargestComponentText(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  const std::u16string text = TextOfSize(k50K).substr(0, 49999);
  for (auto _ : state) benchmark::DoNotOptimize(engine.RunSummary(text, 20));
}

// One news-sized article (our two samples, cut to 2,000 bytes at a word),
// the dictionary already compiled: the cost of one document in a batch.
void BM_RunSummaryArticle2K(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  std::string bytes = ReadBytes(VELLUMTRACE_SOURCE_DIR "/samples/bees.txt") + "\n" +
                      ReadBytes(VELLUMTRACE_SOURCE_DIR "/samples/lighthouse.txt");
  if (bytes.size() > 2000) bytes.resize(bytes.rfind(' ', 2000));
  const std::u16string text = Widen(bytes);
  engine.RunSummary(text, 20);  // warms the cache
  for (auto _ : state) benchmark::DoNotOptimize(engine.RunSummary(text, 20));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

// The same article through the public library: a Summarizer kept across
// calls (the engine above is the yardstick, bench/library_vs_engine.sh
// gives the ratio), and the one-shot call with its per-thread summarizer.
std::string Article2K() {
  std::string bytes = ReadBytes(VELLUMTRACE_SOURCE_DIR "/samples/bees.txt") + "\n" +
                      ReadBytes(VELLUMTRACE_SOURCE_DIR "/samples/lighthouse.txt");
  if (bytes.size() > 2000) bytes.resize(bytes.rfind(' ', 2000));
  return bytes;
}

void BM_SummarizerArticle2K(benchmark::State& state) {
  const std::string text = Article2K();
  auto dictionary = Dictionary::Load(VELLUMTRACE_SOURCE_DIR "/dic/en.xml");
  Summarizer summarizer(*dictionary);
  summarizer.Summarize(text);  // warms the memo
  for (auto _ : state) benchmark::DoNotOptimize(summarizer.Summarize(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_SummarizeOneShotArticle2K(benchmark::State& state) {
  const std::string text = Article2K();
  auto dictionary = Dictionary::Load(VELLUMTRACE_SOURCE_DIR "/dic/en.xml");
  Summarize(*dictionary, text);
  for (auto _ : state) benchmark::DoNotOptimize(Summarize(*dictionary, text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// The 100 English evaluation documents (read at run time from
// $VELLUMTRACE_BBC_DOCS, default /work/shared/eval/bbc_en/docs; skipped when
// absent), each thread with its own engine and one shared dictionary.
const std::vector<std::u16string>& EvaluationDocuments() {
  static const std::vector<std::u16string> documents = [] {
    std::vector<std::u16string> texts;
    const char* given = std::getenv("VELLUMTRACE_BBC_DOCS");
    const std::filesystem::path dir = given ? given : "/work/shared/eval/bbc_en/docs";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
      if (entry.path().extension() == ".txt") texts.push_back(Widen(ReadBytes(entry.path())));
    }
    return texts;
  }();
  return documents;
}

void BM_SummariseEvaluationDocuments(benchmark::State& state) {
  const std::vector<std::u16string>& documents = EvaluationDocuments();
  if (documents.empty()) {
    state.SkipWithError("no documents: set VELLUMTRACE_BBC_DOCS");
    return;
  }
  static const std::shared_ptr<const CompiledDictionary> shared = [] {
    BenchPlatform platform;
    return ReadDictionaryFile(u"" VELLUMTRACE_SOURCE_DIR "/dic/en.xml", platform.reader,
                              platform.diagnostic)
        .dictionary;
  }();
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  engine.SetDictionary(shared);
  // The threads share the documents out: a thread takes every n-th one.
  const auto step = static_cast<size_t>(state.threads());
  for (auto _ : state) {
    for (size_t i = static_cast<size_t>(state.thread_index()); i < documents.size(); i += step) {
      benchmark::DoNotOptimize(engine.RunSummary(documents[i], 20));
    }
  }
  if (state.thread_index() == 0) {
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(documents.size()));
  }
}

// Summarizers over every document of $VELLUMTRACE_BBC_DOCS as UTF-8: /0 a
// new one per pass that has learnt nothing (what each leaves for the next
// one of the dictionary is thrown away between passes, untimed), /1 one
// kept for every pass; a new one per pass as bench/python_bench.py makes
// starts with what the last one left, as /1.
void BM_SummarizerCorpus(benchmark::State& state) {
  std::vector<std::string> documents;
  const char* given = std::getenv("VELLUMTRACE_BBC_DOCS");
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(
           given ? given : "/work/shared/eval/bbc_en/docs", error)) {
    if (entry.path().extension() == ".txt") documents.push_back(ReadBytes(entry.path()));
  }
  if (documents.empty()) {
    state.SkipWithError("no documents: set VELLUMTRACE_BBC_DOCS");
    return;
  }
  auto dictionary = Dictionary::Load(VELLUMTRACE_SOURCE_DIR "/dic/en.xml");
  Summarizer kept(*dictionary);
  const CompiledDictionary* compiled = DictionaryAccess::Of(*dictionary).compiled.get();
  for (auto _ : state) {
    {
      Summarizer fresh(*dictionary);
      Summarizer& summarizer = state.range(0) ? kept : fresh;
      for (const std::string& text : documents) {
        benchmark::DoNotOptimize(summarizer.Summarize(text));
      }
      state.PauseTiming();
    }
    if (state.range(0) == 0) adapter::MemoShelf::Process().Take(compiled);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(documents.size()));
}

// The hash of the text tables, Abseil's against XXH3, on the memo's work:
// one look-up per token, an insertion per distinct token.
template <typename Hash>
void BM_TokenTable(benchmark::State& state) {
  const std::u16string& text = TextOfSize(k1M);
  std::vector<std::u16string_view> tokens;
  for (size_t start = 0; start < text.size();) {
    while (start < text.size() && IsSpaceChar(text[start])) ++start;
    size_t stop = start;
    while (stop < text.size() && !IsSpaceChar(text[stop])) ++stop;
    if (stop > start) tokens.push_back(std::u16string_view(text).substr(start, stop - start));
    start = stop;
  }
  for (auto _ : state) {
    absl::flat_hash_map<std::u16string_view, uint32_t, Hash> table;
    for (const std::u16string_view token : tokens) {
      table.try_emplace(token, static_cast<uint32_t>(table.size()));
    }
    benchmark::DoNotOptimize(table.size());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
}

struct AbslHash {
  size_t operator()(std::u16string_view text) const {
    // absl::string_view, not std::string_view: where the two differ, only
    // the former has Abseil's own hash (the other falls back to std::hash).
    return absl::Hash<absl::string_view>{}(absl::string_view(
        reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t)));
  }
};

struct Xxh3Hash {
  size_t operator()(std::u16string_view text) const {
    return static_cast<size_t>(XXH3_64bits(text.data(), text.size() * sizeof(char16_t)));
  }
};

BENCHMARK(BM_Tokenize)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDictionary)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadDictionaryCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AnalyseText)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grade)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAndRender)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSummary)
    ->Args({k50K, 0})->Args({k50K, 1})->Args({k1M, 0})->Args({k1M, 1})
    ->Args({k10M, 0})->Args({k10M, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSummaryLargestComponentText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunSummaryArticle2K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SummarizerArticle2K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SummarizeOneShotArticle2K)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SummariseEvaluationDocuments)->Threads(1)->Threads(2)->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SummarizerCorpus)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_TokenTable, AbslHash)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_TokenTable, Xxh3Hash)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellumtrace

BENCHMARK_MAIN();
