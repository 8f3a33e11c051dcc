#include "library/memo_shelf.h"

#include <utility>

namespace vellumtrace::adapter {

MemoShelf& MemoShelf::Process() {
  static MemoShelf* const shelf = new MemoShelf();
  return *shelf;
}

TokenMemo MemoShelf::Take(const CompiledDictionary* dictionary) {
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_memos.begin(); it != m_memos.end(); ++it) {
    if (it->BoundDictionary().get() != dictionary) continue;
    TokenMemo memo = std::move(*it);
    m_memos.erase(it);
    return memo;
  }
  return TokenMemo();
}

void MemoShelf::Put(TokenMemo memo) {
  if (!memo.BoundDictionary() || memo.TokenCount() == 0) return;
  // What leaves the shelf is freed after the lock (as `memo` is, when not
  // kept): a memo is megabytes.
  std::vector<TokenMemo> dropped;
  std::lock_guard<std::mutex> lock(m_mutex);
  for (auto it = m_memos.begin(); it != m_memos.end();) {
    const bool orphan = it->BoundDictionary().use_count() == 1;
    const bool same = it->BoundDictionary() == memo.BoundDictionary();
    if (same && it->TokenCount() >= memo.TokenCount()) return;
    if (orphan || same) {
      dropped.push_back(std::move(*it));
      it = m_memos.erase(it);
    } else {
      ++it;
    }
  }
  if (memo.BoundDictionary().use_count() == 1) return;
  if (m_memos.size() == kMostMemos) {
    dropped.push_back(std::move(m_memos.front()));
    m_memos.erase(m_memos.begin());
  }
  m_memos.push_back(std::move(memo));
}

size_t MemoShelf::Size() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_memos.size();
}

}  // namespace vellumtrace::adapter
