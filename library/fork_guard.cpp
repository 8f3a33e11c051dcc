#include "library/fork_guard.h"

#include <pthread.h>

#include "dictionary/dictionary_cache.h"
#include "library/memo_shelf.h"

namespace vellumtrace::adapter {
namespace {

// Always in this order, the reverse to let go; no code holds the shelf's
// lock while it takes the cache's.
void Prepare() {
  DictionaryCache::Process().LockForFork();
  MemoShelf::Process().LockForFork();
}

void Release() {
  MemoShelf::Process().UnlockAfterFork();
  DictionaryCache::Process().UnlockAfterFork();
}

}  // namespace

void GuardForks() {
  static const bool installed = [] {
    // Both made now, so that the handlers only take locks.
    DictionaryCache::Process();
    MemoShelf::Process();
    return ::pthread_atfork(Prepare, Release, Release) == 0;
  }();
  (void)installed;
}

}  // namespace vellumtrace::adapter
