#ifndef VELLUMTRACE_DICTIONARY_DICTIONARY_CACHE_H_
#define VELLUMTRACE_DICTIONARY_DICTIONARY_CACHE_H_

#include <memory>
#include <string>

#include "dictionary/compiled_dictionary.h"
#include "dictionary/file_identity.h"
#include "base/hash_table.h"
#include "base/spin_lock.h"

namespace vellumtrace {

// Compiled dictionaries by path and file version, shared by every engine of
// the process. Safe to use from several threads at once.
class DictionaryCache {
 public:
  // The process's cache.
  static DictionaryCache& Process();

  // The dictionary compiled from `path` when it had exactly this identity;
  // null otherwise.
  std::shared_ptr<const CompiledDictionary> Find(const std::u16string& path,
                                                 const FileIdentity& identity);
  // Keeps `dictionary` as the version of `path` with `identity`, in place of
  // any other version.
  void Store(const std::u16string& path, const FileIdentity& identity,
             std::shared_ptr<const CompiledDictionary> dictionary);
  void Clear();

  // Taken across fork() by the platform's fork handling: a child must not
  // inherit the lock held by a thread that it does not have.
  void LockForFork() { m_lock.lock(); }
  void UnlockAfterFork() { m_lock.unlock(); }

 private:
  struct Entry {
    FileIdentity identity;
    std::shared_ptr<const CompiledDictionary> dictionary;
  };
  SpinLock m_lock;
  HashMap<std::u16string, Entry, U16Hash> m_entries;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_DICTIONARY_CACHE_H_
