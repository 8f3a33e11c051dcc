// Prints the summary of a UTF-8 file and, on standard error, where its
// chosen sentences are.
#include <vellumtrace/summarize.h>

#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: summarize FILE\n";
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();

  auto dictionary = vellumtrace::Dictionary::ForLanguage("en");
  if (!dictionary.ok()) {
    std::cerr << dictionary.status().message() << '\n';
    return 1;
  }
  vellumtrace::Options options;
  options.percent = 20;
  auto summary = vellumtrace::Summarize(*dictionary, text.str(), options);
  if (!summary.ok()) {
    std::cerr << summary.status().message() << '\n';
    return 1;
  }
  std::cout << summary->text;
  for (const vellumtrace::SummarySentence& sentence : summary->sentences) {
    if (sentence.selected) {
      std::cerr << "bytes " << sentence.start << "-" << sentence.end << ", grade "
                << sentence.grade << '\n';
    }
  }
  return 0;
}
