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
  vellumtrace_dictionary_free(dictionary);
  CHECK(strcmp(vellumtrace_version(), "") != 0);
  return failures == 0 ? 0 : 1;
}
