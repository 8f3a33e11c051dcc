// A process forked while other threads use the process's shared tables gets
// tables it can use, not a lock held for ever.
#include "library/fork_guard.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <utility>

#include "dictionary/dictionary_cache.h"
#include "library/memo_shelf.h"

namespace vellumtrace::adapter {
namespace {

TEST(ForkGuard, AForkedChildCanUseTheSharedTables) {
  GuardForks();
  const auto dictionary = std::make_shared<const CompiledDictionary>();
  const std::u16string path = u"/fork-guard-test/xx.xml";
  MemoShelf& shelf = MemoShelf::Process();
  DictionaryCache& cache = DictionaryCache::Process();
  std::atomic<bool> stop{false};
  // Each thread in its table's lock most of the time.
  auto worker = [&](bool onShelf) {
    TokenMemo memo;
    memo.Bind(dictionary);
    memo.FactsOf(u"word");
    while (!stop) {
      if (onShelf) {
        shelf.Put(std::move(memo));
        memo = shelf.Take(dictionary.get());
      } else {
        cache.Store(path, FileIdentity{}, dictionary);
        cache.Find(path, FileIdentity{});
      }
    }
  };
  std::thread shelfUser(worker, true);
  std::thread cacheUser(worker, false);
  struct Join {
    std::atomic<bool>& stop;
    std::thread& a;
    std::thread& b;
    ~Join() {
      stop = true;
      a.join();
      b.join();
    }
  } join{stop, shelfUser, cacheUser};
  for (int i = 0; i < 100; ++i) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      MemoShelf::Process().Put(MemoShelf::Process().Take(dictionary.get()));
      DictionaryCache::Process().Find(path, FileIdentity{});
      ::_exit(0);
    }
    int status = 0;
    bool ended = false;
    for (int wait = 0; wait < 5000 && !ended; ++wait) {  // up to 5 s
      ended = ::waitpid(child, &status, WNOHANG) == child;
      if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!ended) {
      ::kill(child, SIGKILL);
      ::waitpid(child, &status, 0);
    }
    ASSERT_TRUE(ended) << "fork " << i << ": the child hung on a lock";
  }
}

}  // namespace
}  // namespace vellumtrace::adapter
