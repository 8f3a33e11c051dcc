/** @file
 * The Vellumtrace C API: summaries from C and from any language that binds
 * to C. Strings are UTF-8 with explicit lengths; every object a call
 * allocates has exactly one free function (which accepts NULL); no call
 * throws or aborts, and every call accepts NULL for any pointer argument
 * with the result its comment gives.
 *
 * Threads: a dictionary may be used by any number of threads at once; a
 * summarizer, an options object, a summary or an error by one thread at a
 * time (they may move between threads).
 */
#ifndef VELLUMTRACE_VELLUMTRACE_H_
#define VELLUMTRACE_VELLUMTRACE_H_

#include <stddef.h>
#include <stdint.h>

#include "vellumtrace/export.h"
#include "vellumtrace/version.h"

#ifdef __cplusplus
extern "C" {
#endif

/** Status codes; the same values as vellumtrace::StatusCode. */
typedef enum vellumtrace_status {
  VELLUMTRACE_OK = 0,
  VELLUMTRACE_INVALID_ARGUMENT = 1,
  VELLUMTRACE_INVALID_UTF8 = 2,
  VELLUMTRACE_TEXT_TOO_LONG = 3,
  VELLUMTRACE_DICTIONARY_UNAVAILABLE = 4,
  VELLUMTRACE_OUT_OF_MEMORY = 5,
  VELLUMTRACE_INTERNAL = 6,
  VELLUMTRACE_NUL_IN_TEXT = 7,
  VELLUMTRACE_DICTIONARY_INVALID = 8
} vellumtrace_status;

/** Result forms; see vellumtrace::Format. */
typedef enum vellumtrace_format {
  VELLUMTRACE_FORMAT_TEXT = 0,
  VELLUMTRACE_FORMAT_HTML = 1,
  VELLUMTRACE_FORMAT_JSON = 2
} vellumtrace_format;

/** A loaded dictionary; may be shared by threads. */
typedef struct vellumtrace_dictionary vellumtrace_dictionary;
/** A summarizer kept across texts (faster for many texts); one thread at a
 * time. It holds its own reference to its dictionary. */
typedef struct vellumtrace_summarizer vellumtrace_summarizer;
/** Settings of a run; defaults as vellumtrace::Options. */
typedef struct vellumtrace_options vellumtrace_options;
/** The result of a run. */
typedef struct vellumtrace_summary vellumtrace_summary;
/** A failure: code, UTF-8 message and byte offset in the input text. */
typedef struct vellumtrace_error vellumtrace_error;

/** One sentence: bytes [start, end) of the input. */
typedef struct vellumtrace_sentence {
  size_t start;
  size_t end;
  int64_t grade;
  int selected;
} vellumtrace_sentence;

/* Every call that can fail returns its status and, when `error` is not
 * NULL, stores in *error a new error on failure and NULL on success (NULL
 * too when even the error could not be allocated). Out pointers are set
 * only on success; a NULL out pointer fails with
 * VELLUMTRACE_INVALID_ARGUMENT. */

VELLUMTRACE_API vellumtrace_status vellumtrace_dictionary_load(
    const char* path, size_t path_length, vellumtrace_dictionary** dictionary,
    vellumtrace_error** error);
/** The installed dictionary for a language code such as "en". */
VELLUMTRACE_API vellumtrace_status vellumtrace_dictionary_for_language(
    const char* code, size_t code_length, vellumtrace_dictionary** dictionary,
    vellumtrace_error** error);
VELLUMTRACE_API void vellumtrace_dictionary_free(vellumtrace_dictionary* dictionary);

/** NULL only when out of memory. The setters do nothing on NULL. */
VELLUMTRACE_API vellumtrace_options* vellumtrace_options_new(void);
/** 0..100; values outside are clamped. */
VELLUMTRACE_API void vellumtrace_options_set_percent(vellumtrace_options* options, int percent);
/** When not 0, the summary is this many best graded sentences (earlier
 * first on ties) and the percent is not used. */
VELLUMTRACE_API void vellumtrace_options_set_sentences(vellumtrace_options* options,
                                                       size_t sentences);
VELLUMTRACE_API void vellumtrace_options_set_format(vellumtrace_options* options,
                                                    vellumtrace_format format);
/** In UTF-16 code units; 0 lifts the bound. */
VELLUMTRACE_API void vellumtrace_options_set_max_length(vellumtrace_options* options,
                                                        size_t max_length);
VELLUMTRACE_API void vellumtrace_options_free(vellumtrace_options* options);

/** A summarizer for `dictionary` (which may be freed afterwards). */
VELLUMTRACE_API vellumtrace_status vellumtrace_summarizer_new(
    const vellumtrace_dictionary* dictionary, vellumtrace_summarizer** summarizer,
    vellumtrace_error** error);
/** Summarises `text_length` bytes of UTF-8 at `text` (NULL only with length
 * 0); a NUL byte among them fails with VELLUMTRACE_NUL_IN_TEXT and its
 * offset. `options` may be NULL for the defaults. */
VELLUMTRACE_API vellumtrace_status vellumtrace_summarizer_summarize(
    vellumtrace_summarizer* summarizer, const char* text, size_t text_length,
    const vellumtrace_options* options, vellumtrace_summary** summary,
    vellumtrace_error** error);
VELLUMTRACE_API void vellumtrace_summarizer_free(vellumtrace_summarizer* summarizer);

/** As vellumtrace_summarizer_summarize, through a summarizer kept for the
 * calling thread; any thread may call it at any time. */
VELLUMTRACE_API vellumtrace_status vellumtrace_summarize(
    const vellumtrace_dictionary* dictionary, const char* text, size_t text_length,
    const vellumtrace_options* options, vellumtrace_summary** summary,
    vellumtrace_error** error);
VELLUMTRACE_API void vellumtrace_summary_free(vellumtrace_summary* summary);

/* The accessors take a NULL summary as an empty one. */

/** The result text, valid until the summary is freed; NUL-terminated too.
 * `length` may be NULL. "" (length 0) for a NULL summary. */
VELLUMTRACE_API const char* vellumtrace_summary_text(const vellumtrace_summary* summary,
                                                     size_t* length);
VELLUMTRACE_API size_t vellumtrace_summary_sentence_count(const vellumtrace_summary* summary);
/** Returns 0, leaving *sentence alone, when `index` is out of range or
 * `sentence` is NULL; 1 otherwise. */
VELLUMTRACE_API int vellumtrace_summary_sentence(const vellumtrace_summary* summary,
                                                 size_t index, vellumtrace_sentence* sentence);
VELLUMTRACE_API size_t vellumtrace_summary_keyword_count(const vellumtrace_summary* summary);
/** The keyword's word (valid until the summary is freed) and count, each
 * out pointer optional; NULL when `index` is out of range. */
VELLUMTRACE_API const char* vellumtrace_summary_keyword(const vellumtrace_summary* summary,
                                                        size_t index, size_t* length,
                                                        int64_t* count);
VELLUMTRACE_API size_t vellumtrace_summary_title_count(const vellumtrace_summary* summary);
/** NULL when `index` is out of range; `length` may be NULL. */
VELLUMTRACE_API const char* vellumtrace_summary_title_word(const vellumtrace_summary* summary,
                                                           size_t index, size_t* length);
/** 1 when the run used no dictionary (see vellumtrace::Dictionary::Missing). */
VELLUMTRACE_API int vellumtrace_summary_dictionary_missing(const vellumtrace_summary* summary);

/** VELLUMTRACE_OK for a NULL error (no error). */
VELLUMTRACE_API vellumtrace_status vellumtrace_error_code(const vellumtrace_error* error);
/** NUL-terminated UTF-8, valid until the error is freed; "" for NULL. */
VELLUMTRACE_API const char* vellumtrace_error_message(const vellumtrace_error* error);
/** 0 for NULL. */
VELLUMTRACE_API size_t vellumtrace_error_byte_offset(const vellumtrace_error* error);
VELLUMTRACE_API void vellumtrace_error_free(vellumtrace_error* error);

/** "MAJOR.MINOR.PATCH" */
VELLUMTRACE_API const char* vellumtrace_version(void);

#ifdef __cplusplus
}
#endif

#endif /* VELLUMTRACE_VELLUMTRACE_H_ */
