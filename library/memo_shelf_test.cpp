// The shelf keeps, per dictionary, the largest memo left, hands each out
// once, drops those whose dictionary nothing else holds, and keeps at most
// its bound.
#include "library/memo_shelf.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vellumtrace::adapter {
namespace {

using Dictionaries = std::vector<std::shared_ptr<const CompiledDictionary>>;

TokenMemo Learnt(const std::shared_ptr<const CompiledDictionary>& dictionary, size_t tokens) {
  TokenMemo memo;
  memo.Bind(dictionary);
  for (size_t i = 0; i < tokens; ++i) memo.FactsOf(u"w" + std::u16string(i + 1, u'x'));
  return memo;
}

TEST(MemoShelf, KeepsTheLargestMemoOfEachDictionaryOnce) {
  Dictionaries held;
  for (size_t i = 0; i < MemoShelf::kMostMemos + 2; ++i) {
    held.push_back(std::make_shared<const CompiledDictionary>());
  }
  // Each case: memos put as (dictionary, tokens), then the tokens each
  // dictionary's Take gives (a second Take always gives none).
  struct Put {
    size_t dictionary;
    size_t tokens;
  };
  const struct {
    std::vector<Put> puts;
    std::vector<size_t> taken;  // by dictionary
  } cases[] = {
      {{}, {0, 0}},
      {{{0, 2}, {0, 1}}, {2, 0}},   // a smaller one does not push out a larger
      {{{0, 1}, {0, 3}}, {3, 0}},   // a larger one does
      {{{1, 4}, {0, 0}}, {0, 4}},   // to its own dictionary only; empty ones are not kept
      {{{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}}, {0, 1, 1, 1, 1}},  // the oldest goes
  };
  for (const auto& c : cases) {
    MemoShelf shelf;
    for (const Put& put : c.puts) shelf.Put(Learnt(held[put.dictionary], put.tokens));
    for (size_t d = 0; d < c.taken.size(); ++d) {
      EXPECT_EQ(shelf.Take(held[d].get()).TokenCount(), c.taken[d]) << d;
      EXPECT_EQ(shelf.Take(held[d].get()).TokenCount(), 0u) << d;
    }
    EXPECT_EQ(shelf.Size(), 0u);
  }
  // A memo whose dictionary only the memo holds helps no later engine.
  MemoShelf shelf;
  TokenMemo orphan = Learnt(std::make_shared<const CompiledDictionary>(), 3);
  shelf.Put(std::move(orphan));
  EXPECT_EQ(shelf.Size(), 0u);
  auto passing = std::make_shared<const CompiledDictionary>();
  shelf.Put(Learnt(passing, 3));
  passing.reset();
  shelf.Put(Learnt(held[0], 1));
  EXPECT_EQ(shelf.Size(), 1u);
}

}  // namespace
}  // namespace vellumtrace::adapter
