#include "vellumtrace/summarize.h"

#include <algorithm>
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

// Pairs the engine's sentences with the input's tokens, in order. Only the
// single-space word closing every split has no bytes: it ends the last
// sentence, and a sentence made of it alone is left out.
Status PlaceSentences(const adapter::RunResult& run, const std::vector<ByteRange>& tokens,
                      std::vector<SummarySentence>* sentences) {
  size_t next = 0;
  for (size_t i = 0; i < run.sentences.size(); ++i) {
    const adapter::RunSentence& sentence = run.sentences[i];
    const size_t synthetic = i + 1 == run.sentences.size() ? 1 : 0;
    if (sentence.wordCount < synthetic) break;
    const size_t words = sentence.wordCount - synthetic;
    if (words == 0) continue;
    if (next + words > tokens.size()) break;
    sentences->push_back({tokens[next].start, tokens[next + words - 1].end, sentence.grade,
                          sentence.selected});
    next += words;
  }
  if (next != tokens.size() || run.sentences.empty()) {
    sentences->clear();
    return Status(StatusCode::kInternal, "the engine's words do not match the text");
  }
  return Status();
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

Result<Summary> SummarizeOrThrow(const Dictionary& dictionary, std::string_view input,
                                 const Options& options) {
  const size_t base = input.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
  const std::string_view body = input.substr(base);
  std::u16string text;
  Utf8Error where;
  if (!DecodeUtf8(body, &text, &where)) {
    return Status(StatusCode::kInvalidUtf8,
                  "the text is not valid UTF-8 at byte " + std::to_string(base + where.byteOffset),
                  base + where.byteOffset);
  }
  const std::string_view used = body.substr(0, body.find('\0'));
  if (options.max_length != 0) {
    const size_t over = FirstByteOverUtf16Length(used, options.max_length);
    if (over != std::string_view::npos) {
      return Status(StatusCode::kTextTooLong,
                    "the text is over the bound of " + std::to_string(options.max_length) +
                        " UTF-16 code units from byte " + std::to_string(base + over),
                    base + over);
    }
  }
  const int percent = std::clamp(options.percent, -1, 101);
  adapter::RunResult run;
  Status status = adapter::Run(dictionary.impl(), text, percent,
                               options.format == Format::kHtml, options, &run);
  if (!status.ok()) return status;

  Summary summary;
  status = PlaceSentences(run, TokenRanges(used, base), &summary.sentences);
  if (!status.ok()) return status;
  for (const adapter::RunKeyword& k : run.keywords) {
    summary.keywords.push_back({EncodeUtf8(k.word), EncodeUtf8(k.stem), k.count});
  }
  for (size_t i = 0; i < run.titleWordCount; ++i) summary.title.push_back(summary.keywords[i].word);
  summary.text = EncodeUtf8(run.output);
  if (options.format == Format::kJson) summary.text = RenderJson(summary, summary.text);
  return summary;
}

}  // namespace

Result<Summary> Summarize(const Dictionary& dictionary, std::string_view utf8_text,
                          const Options& options) {
  try {
    return SummarizeOrThrow(dictionary, utf8_text, options);
  } catch (const std::bad_alloc&) {
    return Status(StatusCode::kOutOfMemory, "out of memory");
  } catch (const std::exception& e) {
    return Status(StatusCode::kInternal, e.what());
  } catch (...) {
    return Status(StatusCode::kInternal, "an unknown exception");
  }
}

const char* Version() { return VELLUMTRACE_VERSION; }

}  // namespace vellumtrace
