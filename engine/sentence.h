#ifndef VELLUMTRACE_ENGINE_SENTENCE_H_
#define VELLUMTRACE_ENGINE_SENTENCE_H_

#include <cstdint>
#include <string>

#include "engine/word_entry.h"

namespace vellumtrace {

class DebugOutput;

// One sentence of the Article, its words in text order.
struct Sentence {
  WordList words;
  // 64 bits: a huge sentence in an unbounded text cannot overflow its grade.
  int64_t grade = 0;
  int32_t selected = 0;
  // Always equals words.size().
  int64_t wordCount = 0;

  // Appends a word that carries only its text.
  void AddWord(std::u16string word);
  // Writes the sentence header and one line per word.
  void DumpSentence(DebugOutput& out) const;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_SENTENCE_H_
