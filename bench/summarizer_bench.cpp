// Stage and whole-run timings on generated English-like text of 50 KB,
// 1 MB and 10 MB, with the bundled English dictionary.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "analysis/tokenizer.h"
#include "cli/installed_module_locator.h"
#include "dictionary/backends/libxml2_reader.h"
#include "engine/alert.h"
#include "engine/debug_output.h"
#include "engine/summarizer_engine.h"

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

// An engine with its dictionary loaded and its text split.
void Prepare(SummarizerEngine& engine, const std::u16string& text) {
  engine.ResetRun();
  engine.SetText(text);
  engine.LoadDictionary(engine.m_dictionaryPath);
  engine.SplitText();
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

void BM_LoadDictionary(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  for (auto _ : state) {
    engine.ResetRun();
    benchmark::DoNotOptimize(engine.LoadDictionary(engine.m_dictionaryPath));
  }
}

void BM_SplitText(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  const std::u16string& text = TextOfSize(state.range(0));
  for (auto _ : state) Prepare(engine, text);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_Grade(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  const std::u16string& text = TextOfSize(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    Prepare(engine, text);
    state.ResumeTiming();
    engine.Grade();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_SelectAndRender(benchmark::State& state) {
  BenchPlatform platform;
  SummarizerEngine engine(platform.Services(&platform.none));
  const std::u16string& text = TextOfSize(state.range(0));
  engine.m_htmlOutput = 1;
  for (auto _ : state) {
    state.PauseTiming();
    Prepare(engine, text);
    engine.Grade();
    state.ResumeTiming();
    engine.SelectByPercentage(50);
    engine.RenderHtml();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_RunSummary(benchmark::State& state) {
  BenchPlatform platform;
  CountingOutput dumps;
  const bool withDumps = state.range(1) != 0;
  SummarizerEngine engine(platform.Services(withDumps ? static_cast<DebugOutput*>(&dumps) : &platform.none));
  const std::u16string& text = TextOfSize(state.range(0));
  engine.m_htmlOutput = 1;
  for (auto _ : state) benchmark::DoNotOptimize(engine.RunSummary(text, 20));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

constexpr int64_t k50K = 50 * 1000, k1M = 1000 * 1000, k10M = 10 * 1000 * 1000;

BENCHMARK(BM_Tokenize)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitText)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grade)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAndRender)->Arg(k50K)->Arg(k1M)->Arg(k10M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunSummary)
    ->Args({k50K, 0})->Args({k50K, 1})->Args({k1M, 0})->Args({k1M, 1})
    ->Args({k10M, 0})->Args({k10M, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vellumtrace

BENCHMARK_MAIN();
