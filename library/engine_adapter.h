// The library's only door into the engine: loading a dictionary and one
// run, with the run's sentences, grades and words read back as plain data.
// Everything else in library/ works on these types, so a change of the
// engine's interface is a change of engine_adapter.cpp alone.
#ifndef VELLUMTRACE_LIBRARY_ENGINE_ADAPTER_H_
#define VELLUMTRACE_LIBRARY_ENGINE_ADAPTER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/compiled_dictionary.h"
#include "vellumtrace/dictionary.h"
#include "vellumtrace/options.h"
#include "vellumtrace/status.h"
#include "vellumtrace/summary.h"

namespace vellumtrace {

// What a Dictionary holds: the file's compiled contents, read once.
struct Dictionary::Impl {
  std::string path;
  std::shared_ptr<const CompiledDictionary> compiled;
  bool missing = false;
};

// The library's access to a Dictionary's insides.
struct DictionaryAccess {
  using Impl = Dictionary::Impl;
  static const Dictionary::Impl& Of(const Dictionary& dictionary) { return *dictionary.impl_; }
  static Dictionary Make(std::shared_ptr<const Dictionary::Impl> impl) {
    return Dictionary(std::move(impl));
  }
};

using DictionaryImpl = DictionaryAccess::Impl;

namespace adapter {

struct RunSentence {
  // Where the sentence lies in the run's text, in UTF-16 code units: from
  // its first word's start to its last word's end. Empty (start == end)
  // for a sentence without a word of the text, as the one the closing
  // synthetic word may make alone.
  size_t start = 0;
  size_t end = 0;
  int64_t grade = 0;
  bool selected = false;
};


struct RunResult {
  std::u16string output;
  std::vector<RunSentence> sentences;
  // The important words, the synthetic closing word left out.
  std::vector<Keyword> keywords;
  // How many of `keywords` make the title.
  size_t titleWordCount = 0;
};

// Reads and compiles the dictionary at `path` (UTF-8), through the
// process's cache of compiled dictionaries.
Result<std::shared_ptr<const DictionaryImpl>> LoadDictionary(const std::string& path);
// The empty dictionary, standing in for the file at `path`.
std::shared_ptr<const DictionaryImpl> MissingDictionary(const std::string& path);

// One engine, kept across runs so that its memo of what the dictionary
// makes of each token serves every later run. Its memo comes from, and goes
// back to, the process's MemoShelf: when the Runner goes or changes
// dictionary, the next Runner of that dictionary starts where it stopped.
// One thread at a time.
class Runner {
 public:
  Runner();
  ~Runner();
  Runner(const Runner&) = delete;
  Runner& operator=(const Runner&) = delete;

  // One run over `text` (which holds no NUL) with the loaded dictionary.
  Status Run(const DictionaryImpl& dictionary, std::u16string text, const Options& options,
             RunResult* result);

 private:
  struct Engine;
  std::unique_ptr<Engine> m_engine;
  std::vector<std::u16string_view> m_stemScratch;  // kept between runs
};

}  // namespace adapter
}  // namespace vellumtrace

#endif  // VELLUMTRACE_LIBRARY_ENGINE_ADAPTER_H_
