// The C face: thin wrappers that turn Results into status codes and never
// let an exception cross.
#include "vellumtrace/vellumtrace.h"

#include <new>
#include <string>
#include <utility>

#include "vellumtrace/summarize.h"

struct vellumtrace_summarizer {
  vellumtrace::Summarizer summarizer;
};
struct vellumtrace_dictionary {
  vellumtrace::Dictionary dictionary;
};
struct vellumtrace_options {
  vellumtrace::Options options;
};
struct vellumtrace_summary {
  vellumtrace::Summary summary;
};
struct vellumtrace_error {
  vellumtrace::Status status;
};

namespace {

static_assert(static_cast<int>(vellumtrace::StatusCode::kInternal) == VELLUMTRACE_INTERNAL);
static_assert(static_cast<int>(vellumtrace::StatusCode::kNulInText) == VELLUMTRACE_NUL_IN_TEXT);
static_assert(static_cast<int>(vellumtrace::StatusCode::kDictionaryInvalid) ==
              VELLUMTRACE_DICTIONARY_INVALID);

// The accessors read a NULL summary as an empty one.
const vellumtrace::Summary& Of(const vellumtrace_summary* summary) {
  static const vellumtrace::Summary none;
  return summary != nullptr ? summary->summary : none;
}

vellumtrace_status Report(const vellumtrace::Status& status, vellumtrace_error** error) {
  if (error != nullptr) {
    *error = status.ok() ? nullptr : new (std::nothrow) vellumtrace_error{status};
  }
  return static_cast<vellumtrace_status>(status.code());
}

template <typename Call>
vellumtrace_status Guard(vellumtrace_error** error, Call call) {
  try {
    return Report(call(), error);
  } catch (const std::bad_alloc&) {
    if (error != nullptr) *error = nullptr;
    return VELLUMTRACE_OUT_OF_MEMORY;
  } catch (...) {
    if (error != nullptr) *error = nullptr;
    return VELLUMTRACE_INTERNAL;
  }
}

vellumtrace_status LoadWith(vellumtrace::Result<vellumtrace::Dictionary> (*load)(std::string_view),
                            const char* bytes, size_t length, vellumtrace_dictionary** dictionary,
                            vellumtrace_error** error) {
  return Guard(error, [&]() -> vellumtrace::Status {
    if (dictionary == nullptr || (bytes == nullptr && length != 0)) {
      return {vellumtrace::StatusCode::kInvalidArgument, "a required pointer is NULL"};
    }
    auto loaded = load(std::string_view(bytes == nullptr ? "" : bytes, length));
    if (!loaded.ok()) return loaded.status();
    *dictionary = new vellumtrace_dictionary{std::move(loaded.value())};
    return {};
  });
}

// The two summarize calls: the C caller's text and options checked and
// handed to `run`, its summary stored. `source` is whether the dictionary
// or summarizer pointer is there.
template <typename Run>
vellumtrace::Status SummaryOf(bool source, const char* text, size_t text_length,
                              const vellumtrace_options* options, vellumtrace_summary** summary,
                              Run run) {
  if (!source || summary == nullptr || (text == nullptr && text_length != 0)) {
    return {vellumtrace::StatusCode::kInvalidArgument, "a required pointer is NULL"};
  }
  const vellumtrace::Options defaults;
  auto result = run(std::string_view(text == nullptr ? "" : text, text_length),
                    options != nullptr ? options->options : defaults);
  if (!result.ok()) return result.status();
  *summary = new vellumtrace_summary{std::move(result.value())};
  return {};
}

}  // namespace

extern "C" {

vellumtrace_status vellumtrace_dictionary_load(const char* path, size_t path_length,
                                               vellumtrace_dictionary** dictionary,
                                               vellumtrace_error** error) {
  return LoadWith(&vellumtrace::Dictionary::Load, path, path_length, dictionary, error);
}

vellumtrace_status vellumtrace_dictionary_for_language(const char* code, size_t code_length,
                                                       vellumtrace_dictionary** dictionary,
                                                       vellumtrace_error** error) {
  return LoadWith(&vellumtrace::Dictionary::ForLanguage, code, code_length, dictionary, error);
}

void vellumtrace_dictionary_free(vellumtrace_dictionary* dictionary) { delete dictionary; }

vellumtrace_options* vellumtrace_options_new(void) {
  return new (std::nothrow) vellumtrace_options{};
}
void vellumtrace_options_set_percent(vellumtrace_options* options, int percent) {
  if (options != nullptr) options->options.percent = percent;
}
void vellumtrace_options_set_sentences(vellumtrace_options* options, size_t sentences) {
  if (options != nullptr) options->options.sentences = sentences;
}
void vellumtrace_options_set_format(vellumtrace_options* options, vellumtrace_format format) {
  if (options == nullptr) return;
  switch (format) {
    case VELLUMTRACE_FORMAT_HTML: options->options.format = vellumtrace::Format::kHtml; break;
    case VELLUMTRACE_FORMAT_JSON: options->options.format = vellumtrace::Format::kJson; break;
    default: options->options.format = vellumtrace::Format::kText; break;
  }
}
void vellumtrace_options_set_max_length(vellumtrace_options* options, size_t max_length) {
  if (options != nullptr) options->options.max_length = max_length;
}
void vellumtrace_options_free(vellumtrace_options* options) { delete options; }

vellumtrace_status vellumtrace_summarizer_new(const vellumtrace_dictionary* dictionary,
                                              vellumtrace_summarizer** summarizer,
                                              vellumtrace_error** error) {
  return Guard(error, [&]() -> vellumtrace::Status {
    if (dictionary == nullptr || summarizer == nullptr) {
      return {vellumtrace::StatusCode::kInvalidArgument, "a required pointer is NULL"};
    }
    *summarizer = new vellumtrace_summarizer{vellumtrace::Summarizer(dictionary->dictionary)};
    return {};
  });
}

void vellumtrace_summarizer_free(vellumtrace_summarizer* summarizer) { delete summarizer; }

vellumtrace_status vellumtrace_summarizer_summarize(vellumtrace_summarizer* summarizer,
                                                    const char* text, size_t text_length,
                                                    const vellumtrace_options* options,
                                                    vellumtrace_summary** summary,
                                                    vellumtrace_error** error) {
  return Guard(error, [&] {
    return SummaryOf(summarizer != nullptr, text, text_length, options, summary,
                     [&](std::string_view utf8, const vellumtrace::Options& chosen) {
                       return summarizer->summarizer.Summarize(utf8, chosen);
                     });
  });
}

vellumtrace_status vellumtrace_summarize(const vellumtrace_dictionary* dictionary,
                                         const char* text, size_t text_length,
                                         const vellumtrace_options* options,
                                         vellumtrace_summary** summary,
                                         vellumtrace_error** error) {
  return Guard(error, [&] {
    return SummaryOf(dictionary != nullptr, text, text_length, options, summary,
                     [&](std::string_view utf8, const vellumtrace::Options& chosen) {
                       return vellumtrace::Summarize(dictionary->dictionary, utf8, chosen);
                     });
  });
}

void vellumtrace_summary_free(vellumtrace_summary* summary) { delete summary; }

const char* vellumtrace_summary_text(const vellumtrace_summary* summary, size_t* length) {
  if (length != nullptr) *length = Of(summary).text.size();
  return Of(summary).text.c_str();
}

size_t vellumtrace_summary_sentence_count(const vellumtrace_summary* summary) {
  return Of(summary).sentences.size();
}

int vellumtrace_summary_sentence(const vellumtrace_summary* summary, size_t index,
                                 vellumtrace_sentence* sentence) {
  if (index >= Of(summary).sentences.size() || sentence == nullptr) return 0;
  const vellumtrace::SummarySentence& s = Of(summary).sentences[index];
  *sentence = {s.start, s.end, s.grade, s.selected ? 1 : 0};
  return 1;
}

size_t vellumtrace_summary_keyword_count(const vellumtrace_summary* summary) {
  return Of(summary).keywords.size();
}

const char* vellumtrace_summary_keyword(const vellumtrace_summary* summary, size_t index,
                                        size_t* length, int64_t* count) {
  if (index >= Of(summary).keywords.size()) return nullptr;
  const vellumtrace::Keyword& k = Of(summary).keywords[index];
  if (length != nullptr) *length = k.word.size();
  if (count != nullptr) *count = k.count;
  return k.word.c_str();
}

size_t vellumtrace_summary_title_count(const vellumtrace_summary* summary) {
  return Of(summary).title.size();
}

const char* vellumtrace_summary_title_word(const vellumtrace_summary* summary, size_t index,
                                           size_t* length) {
  if (index >= Of(summary).title.size()) return nullptr;
  if (length != nullptr) *length = Of(summary).title[index].size();
  return Of(summary).title[index].c_str();
}

int vellumtrace_summary_dictionary_missing(const vellumtrace_summary* summary) {
  return Of(summary).dictionary_missing ? 1 : 0;
}

vellumtrace_status vellumtrace_error_code(const vellumtrace_error* error) {
  return error != nullptr ? static_cast<vellumtrace_status>(error->status.code()) : VELLUMTRACE_OK;
}
const char* vellumtrace_error_message(const vellumtrace_error* error) {
  return error != nullptr ? error->status.message().c_str() : "";
}
size_t vellumtrace_error_byte_offset(const vellumtrace_error* error) {
  return error != nullptr ? error->status.byte_offset() : 0;
}
void vellumtrace_error_free(vellumtrace_error* error) { delete error; }

const char* vellumtrace_version(void) { return vellumtrace::Version(); }

}  // extern "C"
