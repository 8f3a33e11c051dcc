// Grading: important words ranked by frequency, sentence grades as
// rank-weighted counts of the important words they hold, and the title.
#include "grading/grading.h"

#include <algorithm>

#include "dictionary/compiled_dictionary.h"
#include "grading/rank_weight.h"

namespace vellumtrace {

void GradeArticle(const Article& article, const CompiledDictionary& dictionary,
                  Grading& grading) {
  const size_t stems = article.StemCount();
  for (TextTable::Id id = 0; id < stems; ++id) {
    if (!dictionary.IsGraderTerm(article.StemText(id))) grading.importantWords.push_back(id);
  }
  // Stable: among equally frequent words the earlier one ranks first.
  std::stable_sort(grading.importantWords.begin(), grading.importantWords.end(),
                   [&article](TextTable::Id a, TextTable::Id b) {
                     return article.stemCounts[a] > article.stemCounts[b];
                   });

  // Each important stem adds one product per occurrence; others add none.
  std::vector<int64_t> contribution(stems, 0);
  int64_t rank = 0;
  for (const TextTable::Id id : grading.importantWords) {
    contribution[id] = RankWeight(++rank) * article.stemCounts[id];
  }
  grading.grades.reserve(article.sentences.size());
  for (const SentenceSpan& sentence : article.sentences) {
    int64_t grade = 0;
    for (size_t w = sentence.firstWord; w < sentence.firstWord + sentence.wordCount; ++w) {
      grade += contribution[article.words[w].stem];
    }
    grading.grades.push_back(grade);
  }

  const size_t titleWords = std::min(kTitleWords, grading.importantWords.size());
  for (size_t i = 0; i < titleWords; ++i) {
    grading.title += article.EntryWord(grading.importantWords[i]);
    grading.title += u',';
  }
}

}  // namespace vellumtrace
