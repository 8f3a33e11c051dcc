// Grading: important words ranked by frequency, sentence grades as
// rank-weighted counts of the important words they hold, and the title.
#include "grading/grading.h"

#include <algorithm>

#include "grading/rank_weight.h"

namespace vellumtrace {

namespace {

// Sorts `ids` (in ascending order) by count, most frequent first, keeping
// the order of equal counts: a counting sort, since most stems of a text
// occur only a few times. A text whose counts spread far wider than its
// stems falls back to a stable sort, with the same result.
void RankByCount(const Article& article, std::vector<TextTable::Id>& ids) {
  int64_t most = 0;
  for (const TextTable::Id id : ids) most = std::max(most, article.stemCounts[id]);
  if (static_cast<uint64_t>(most) > 4 * ids.size() + 1024) {
    std::stable_sort(ids.begin(), ids.end(), [&article](TextTable::Id a, TextTable::Id b) {
      return article.stemCounts[a] > article.stemCounts[b];
    });
    return;
  }
  // firstOf[most - count]: where the ids of `count` begin in the ranking.
  std::vector<size_t> firstOf(static_cast<size_t>(most) + 2, 0);
  for (const TextTable::Id id : ids) ++firstOf[static_cast<size_t>(most - article.stemCounts[id]) + 1];
  for (size_t i = 1; i < firstOf.size(); ++i) firstOf[i] += firstOf[i - 1];
  std::vector<TextTable::Id> ranked(ids.size());
  for (const TextTable::Id id : ids) {
    ranked[firstOf[static_cast<size_t>(most - article.stemCounts[id])]++] = id;
  }
  ids.swap(ranked);
}

}  // namespace

void GradeArticle(const Article& article, Grading& grading) {
  const size_t stems = article.StemCount();
  // Without a branch: which stems are grader terms follows no pattern the
  // processor could foresee.
  std::vector<TextTable::Id>& important = grading.importantWords;
  size_t kept = important.size();
  important.resize(kept + stems);
  for (TextTable::Id id = 0; id < stems; ++id) {
    important[kept] = id;
    kept += article.stemIsGraderTerm[id] == 0 ? 1 : 0;
  }
  important.resize(kept);
  // Among equally frequent words the earlier one ranks first.
  RankByCount(article, grading.importantWords);

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
