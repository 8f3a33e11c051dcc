// Where a summarizer that goes leaves what it learnt of the tokens, for the
// next one made with the same dictionary: a new Summarizer (one per
// request, per worker task, per thread) then starts as fast as a kept one.
#ifndef VELLUMTRACE_LIBRARY_MEMO_SHELF_H_
#define VELLUMTRACE_LIBRARY_MEMO_SHELF_H_

#include <cstddef>
#include <mutex>
#include <vector>

#include "analysis/token_memo.h"
#include "dictionary/compiled_dictionary.h"

namespace vellumtrace::adapter {

// At most one memo per dictionary and kMostMemos in all; a memo goes when
// its dictionary is held by nothing else (the process's dictionary cache let
// it go). Thread-safe; hand-overs are moves, never copies.
class MemoShelf {
 public:
  static constexpr size_t kMostMemos = 4;

  // The process's shelf; never destroyed, so that engines ending with their
  // threads after main may still leave their memos.
  static MemoShelf& Process();

  // The memo left for `dictionary`, or an empty one.
  TokenMemo Take(const CompiledDictionary* dictionary);
  // Keeps `memo` for the next engine of its dictionary, unless a larger one
  // of that dictionary is already kept.
  void Put(TokenMemo memo);
  size_t Size();

  // Taken across fork() (see GuardForks).
  void LockForFork() { m_mutex.lock(); }
  void UnlockAfterFork() { m_mutex.unlock(); }

 private:
  std::mutex m_mutex;
  std::vector<TokenMemo> m_memos;  // oldest first
};

}  // namespace vellumtrace::adapter

#endif  // VELLUMTRACE_LIBRARY_MEMO_SHELF_H_
