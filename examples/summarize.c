/* Prints the summary of a UTF-8 file, through the C API. */
#include <vellumtrace/vellumtrace.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fputs("usage: summarize FILE\n", stderr);
    return 2;
  }
  FILE* file = fopen(argv[1], "rb");
  if (file == NULL) return 1;
  static char text[1 << 20];
  size_t length = fread(text, 1, sizeof text, file);
  fclose(file);

  vellumtrace_dictionary* dictionary = NULL;
  vellumtrace_summary* summary = NULL;
  vellumtrace_error* error = NULL;
  if (vellumtrace_dictionary_for_language("en", 2, &dictionary, &error) != VELLUMTRACE_OK ||
      vellumtrace_summarize(dictionary, text, length, NULL, &summary, &error) != VELLUMTRACE_OK) {
    fprintf(stderr, "%s\n", error ? vellumtrace_error_message(error) : "out of memory");
    vellumtrace_error_free(error);
    vellumtrace_dictionary_free(dictionary);
    return 1;
  }
  size_t size = 0;
  const char* result = vellumtrace_summary_text(summary, &size);
  fwrite(result, 1, size, stdout);
  vellumtrace_summary_free(summary);
  vellumtrace_dictionary_free(dictionary);
  return 0;
}
