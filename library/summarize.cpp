#include "vellumtrace/summarize.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "text/utf_codec.h"
#include "library/engine_adapter.h"
#include "library/text_layout.h"

#ifndef VELLUMTRACE_VERSION
#define VELLUMTRACE_VERSION "0.0.0"
#endif

namespace vellumtrace {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The engine's sentences at their bytes in the input. A sentence without a
// word of the text (the closing synthetic word alone) has none and is left
// out.
void PlaceSentences(const adapter::RunResult& run, ByteOffsets bytes, size_t base,
                    std::vector<SummarySentence>* sentences) {
  sentences->reserve(run.sentences.size());
  for (const adapter::RunSentence& sentence : run.sentences) {
    if (sentence.start == sentence.end) continue;
    const size_t start = bytes.At(sentence.start);
    sentences->push_back({base + start, base + bytes.At(sentence.end), sentence.grade,
                          sentence.selected});
  }
}

std::string RenderJson(const Summary& summary, const std::string& plainText) {
  nlohmann::ordered_json json;
  json["summary"] = plainText;
  json["sentences"] = nlohmann::ordered_json::array();
  for (const SummarySentence& s : summary.sentences) {
    json["sentences"].push_back(
        {{"start", s.start}, {"end", s.end}, {"grade", s.grade}, {"selected", s.selected}});
  }
  json["keywords"] = nlohmann::ordered_json::array();
  for (const Keyword& k : summary.keywords) {
    json["keywords"].push_back({{"word", k.word}, {"stem", k.stem}, {"count", k.count}});
  }
  json["title"] = summary.title;
  // One line, so that several results make JSON Lines.
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

// The first fault of the input in byte order: invalid UTF-8 or a NUL byte
// (which a text never holds).
Status CheckText(std::string_view body, size_t base, std::u16string* text) {
  Utf8Error where;
  const bool valid = DecodeUtf8(body, text, &where);
  const size_t nul = body.find('\0');
  if (!valid && (nul == std::string_view::npos || where.byteOffset < nul)) {
    return Status(StatusCode::kInvalidUtf8,
                  "the text is not valid UTF-8 at byte " + std::to_string(base + where.byteOffset),
                  base + where.byteOffset);
  }
  if (nul != std::string_view::npos) {
    return Status(StatusCode::kNulInText,
                  "the text holds a NUL byte at byte " + std::to_string(base + nul), base + nul);
  }
  return Status();
}

Result<Summary> SummarizeOrThrow(adapter::Runner& runner, const Dictionary& dictionary,
                                 std::string_view input, const Options& options) {
  const size_t base = input.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const std::string_view body = input.substr(base);
  std::u16string text;
  Status status = CheckText(body, base, &text);
  if (!status.ok()) return status;
  if (options.max_length != 0 && text.size() > options.max_length) {
    const size_t over = FirstByteOverUtf16Length(body, options.max_length);
    return Status(StatusCode::kTextTooLong,
                  "the text is over the bound of " + std::to_string(options.max_length) +
                      " UTF-16 code units from byte " + std::to_string(base + over),
                  base + over);
  }
  const size_t textUnits = text.size();
  const DictionaryImpl& impl = DictionaryAccess::Of(dictionary);
  adapter::RunResult run;
  status = runner.Run(impl, std::move(text), options, &run);
  if (!status.ok()) return status;

  Summary summary;
  summary.dictionary_missing = impl.missing;
  PlaceSentences(run, ByteOffsets(body, textUnits), base, &summary.sentences);
  summary.keywords = std::move(run.keywords);
  summary.title.reserve(run.titleWordCount);
  for (size_t i = 0; i < run.titleWordCount; ++i) summary.title.push_back(summary.keywords[i].word);
  summary.text = EncodeUtf8(run.output);
  if (options.format == Format::kJson) summary.text = RenderJson(summary, summary.text);
  return summary;
}

template <typename Call>
Result<Summary> Guarded(Call call) {
  try {
    return call();
  } catch (const std::bad_alloc&) {
    return Status(StatusCode::kOutOfMemory, "out of memory");
  } catch (const std::exception& e) {
    return Status(StatusCode::kInternal, e.what());
  } catch (...) {
    return Status(StatusCode::kInternal, "an unknown exception");
  }
}

}  // namespace

struct Summarizer::State {
  Dictionary dictionary;
  adapter::Runner runner;
};

Summarizer::Summarizer(Dictionary dictionary)
    : state_(new State{std::move(dictionary), {}}) {}
Summarizer::~Summarizer() = default;
Summarizer::Summarizer(Summarizer&&) noexcept = default;
Summarizer& Summarizer::operator=(Summarizer&&) noexcept = default;

Result<Summary> Summarizer::Summarize(std::string_view utf8_text, const Options& options) {
  return Guarded(
      [&] { return SummarizeOrThrow(state_->runner, state_->dictionary, utf8_text, options); });
}

const Dictionary& Summarizer::dictionary() const { return state_->dictionary; }

Result<Summary> Summarize(const Dictionary& dictionary, std::string_view utf8_text,
                          const Options& options) {
  return Guarded([&] {
    // One engine per thread: its memo serves every later call on the
    // thread, and starts afresh when the dictionary changes.
    thread_local adapter::Runner runner;
    return SummarizeOrThrow(runner, dictionary, utf8_text, options);
  });
}

namespace detail {
void ValueOfFailedResult(const Status& status) {
  std::fprintf(stderr, "vellumtrace: the value of a failed Result was asked for: %s\n",
               status.message().c_str());
  std::abort();
}
}  // namespace detail

const char* Version() { return VELLUMTRACE_VERSION; }

}  // namespace vellumtrace
