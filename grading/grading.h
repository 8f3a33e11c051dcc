#ifndef VELLUMTRACE_GRADING_GRADING_H_
#define VELLUMTRACE_GRADING_GRADING_H_

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/article.h"

namespace vellumtrace {

// What grading finds in an article.
struct Grading {
  // Stem ids of the word-list entries whose stem is no grader term, most
  // frequent first; among equally frequent ones the earlier entry first.
  std::vector<TextTable::Id> importantWords;
  // By sentence: the rank-weighted count of the important words it holds.
  // 64 bits, so a huge sentence in an unbounded text cannot overflow it.
  std::vector<int64_t> grades;
  // The first words of the five best important words, each followed by ",".
  std::u16string title;
};

// Ranks the important words, grades the sentences and builds the title.
// The article's own flags (from the dictionary it was analysed with) tell
// which stems never count.
void GradeArticle(const Article& article, Grading& grading);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_GRADING_GRADING_H_
