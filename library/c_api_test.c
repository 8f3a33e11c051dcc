/* The C API from a C11 translation unit: a run, its findings, every error
 * path and the free functions. */
#include <stdio.h>
#include <string.h>

#include "vellumtrace/vellumtrace.h"

static int failures = 0;

#define CHECK(condition)                                              \
  do {                                                                \
    if (!(condition)) {                                               \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                     \
    }                                                                 \
  } while (0)

static void summarize_and_read_back(const vellumtrace_dictionary* dictionary) {
  static const char text[] = "The cat saw the dog. The dog saw the cat. Birds sing.";
  vellumtrace_options* options = vellumtrace_options_new();
  vellumtrace_options_set_percent(options, 100);
  vellumtrace_summary* summary = NULL;
  vellumtrace_error* error = NULL;
  CHECK(vellumtrace_summarize(dictionary, text, strlen(text), options, &summary, &error) ==
        VELLUMTRACE_OK);
  CHECK(error == NULL);
  if (summary == NULL) return;
  size_t length = 0;
  const char* result = vellumtrace_summary_text(summary, &length);
  CHECK(length == strlen(result) && length > strlen(text));
  CHECK(vellumtrace_summary_sentence_count(summary) == 3);
  vellumtrace_sentence sentence;
  CHECK(vellumtrace_summary_sentence(summary, 1, &sentence) == 1);
  CHECK(sentence.start == 21 && sentence.end == 41 && sentence.selected == 1);
  CHECK(vellumtrace_summary_sentence(summary, 3, &sentence) == 0);
  int64_t count = 0;
  const char* word = vellumtrace_summary_keyword(summary, 0, &length, &count);
  CHECK(word != NULL && count >= 2);
  CHECK(vellumtrace_summary_keyword(summary, vellumtrace_summary_keyword_count(summary), &length,
                                    &count) == NULL);
  CHECK(vellumtrace_summary_title_count(summary) >= 1);
  CHECK(strcmp(vellumtrace_summary_title_word(summary, 0, &length), word) == 0);
  vellumtrace_summary_free(summary);
  vellumtrace_options_free(options);
}

static void errors_are_values(const vellumtrace_dictionary* dictionary) {
  vellumtrace_summary* summary = NULL;
  vellumtrace_error* error = NULL;
  CHECK(vellumtrace_summarize(dictionary, "ab\xFF", 3, NULL, &summary, &error) ==
        VELLUMTRACE_INVALID_UTF8);
  CHECK(summary == NULL && error != NULL);
  if (error != NULL) {
    CHECK(vellumtrace_error_code(error) == VELLUMTRACE_INVALID_UTF8);
    CHECK(vellumtrace_error_byte_offset(error) == 2);
    CHECK(strstr(vellumtrace_error_message(error), "UTF-8") != NULL);
    vellumtrace_error_free(error);
  }
  /* Without an error pointer the code alone reports the failure. */
  CHECK(vellumtrace_summarize(NULL, "x", 1, NULL, &summary, NULL) == VELLUMTRACE_INVALID_ARGUMENT);
  vellumtrace_dictionary* other = NULL;
  CHECK(vellumtrace_dictionary_for_language("en/../en", 8, &other, NULL) ==
        VELLUMTRACE_INVALID_ARGUMENT);
  CHECK(vellumtrace_dictionary_load("/nonexistent.xml", 16, &other, &error) ==
        VELLUMTRACE_DICTIONARY_UNAVAILABLE);
  CHECK(other == NULL);
  vellumtrace_error_free(error);
}

/* The header's promises: *error is NULL after a success, every accessor
 * takes NULL, a kept summarizer agrees with the one-shot call, and a NUL
 * inside an explicit length is refused where it stands. */
static void contract_as_written(const vellumtrace_dictionary* dictionary) {
  static const char text[] = "The cat saw the dog. The dog saw the cat. Birds sing.";
  int stale_error_storage_is_never_read = 0;
  vellumtrace_error* error = (vellumtrace_error*)&stale_error_storage_is_never_read;
  vellumtrace_summarizer* summarizer = NULL;
  CHECK(vellumtrace_summarizer_new(dictionary, &summarizer, &error) == VELLUMTRACE_OK);
  CHECK(error == NULL && summarizer != NULL);
  vellumtrace_options* options = vellumtrace_options_new();
  vellumtrace_options_set_sentences(options, 1);
  vellumtrace_summary* kept = NULL;
  vellumtrace_summary* once = NULL;
  error = (vellumtrace_error*)&stale_error_storage_is_never_read;
  CHECK(vellumtrace_summarizer_summarize(summarizer, text, strlen(text), options, &kept, &error) ==
        VELLUMTRACE_OK);
  CHECK(error == NULL);
  CHECK(vellumtrace_summarize(dictionary, text, strlen(text), options, &once, NULL) ==
        VELLUMTRACE_OK);
  if (kept != NULL && once != NULL) {
    CHECK(strcmp(vellumtrace_summary_text(kept, NULL), vellumtrace_summary_text(once, NULL)) == 0);
    size_t selected = 0;
    vellumtrace_sentence sentence;
    for (size_t i = 0; vellumtrace_summary_sentence(kept, i, &sentence); ++i) {
      selected += (size_t)sentence.selected;
    }
    CHECK(selected == 1);
    CHECK(vellumtrace_summary_dictionary_missing(kept) == 0);
  }
  vellumtrace_summary_free(kept);
  vellumtrace_summary_free(once);

  kept = NULL;
  CHECK(vellumtrace_summarizer_summarize(summarizer, "Cut here.\0hidden", 16, NULL, &kept,
                                         &error) == VELLUMTRACE_NUL_IN_TEXT);
  CHECK(kept == NULL && vellumtrace_error_byte_offset(error) == 9);
  vellumtrace_error_free(error);
  CHECK(vellumtrace_summarizer_summarize(NULL, "x", 1, NULL, &kept, NULL) ==
        VELLUMTRACE_INVALID_ARGUMENT);

  /* A NULL summary reads as an empty one, a NULL error as none. */
  size_t length = 99;
  int64_t count = 0;
  vellumtrace_sentence sentence;
  CHECK(strcmp(vellumtrace_summary_text(NULL, &length), "") == 0 && length == 0);
  CHECK(vellumtrace_summary_sentence_count(NULL) == 0);
  CHECK(vellumtrace_summary_sentence(NULL, 0, &sentence) == 0);
  CHECK(vellumtrace_summary_keyword_count(NULL) == 0);
  CHECK(vellumtrace_summary_keyword(NULL, 0, &length, &count) == NULL);
  CHECK(vellumtrace_summary_title_count(NULL) == 0);
  CHECK(vellumtrace_summary_title_word(NULL, 0, &length) == NULL);
  CHECK(vellumtrace_summary_dictionary_missing(NULL) == 0);
  CHECK(vellumtrace_error_code(NULL) == VELLUMTRACE_OK);
  CHECK(strcmp(vellumtrace_error_message(NULL), "") == 0);
  CHECK(vellumtrace_error_byte_offset(NULL) == 0);
  vellumtrace_options_set_sentences(NULL, 1);
  vellumtrace_summarizer_free(NULL);
  vellumtrace_summarizer_free(summarizer);
  vellumtrace_options_free(options);

  char version[32];
  snprintf(version, sizeof version, "%d.%d.%d", VELLUMTRACE_VERSION_MAJOR,
           VELLUMTRACE_VERSION_MINOR, VELLUMTRACE_VERSION_PATCH);
  CHECK(strcmp(version, vellumtrace_version()) == 0);
  CHECK(strcmp(VELLUMTRACE_VERSION_STRING, vellumtrace_version()) == 0);
}

int main(void) {
  vellumtrace_dictionary* dictionary = NULL;
  vellumtrace_error* error = NULL;
  /* Explicit length: the code need not be NUL-terminated. */
  CHECK(vellumtrace_dictionary_for_language("enXX", 2, &dictionary, &error) == VELLUMTRACE_OK);
  if (dictionary == NULL) {
    fprintf(stderr, "%s\n", error ? vellumtrace_error_message(error) : "no dictionary");
    return 1;
  }
  summarize_and_read_back(dictionary);
  errors_are_values(dictionary);
  contract_as_written(dictionary);
  vellumtrace_dictionary_free(dictionary);
  CHECK(strcmp(vellumtrace_version(), "") != 0);
  return failures == 0 ? 0 : 1;
}
