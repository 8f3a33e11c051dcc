#include "dictionary/dictionary_cache.h"

#include <utility>

namespace vellumtrace {

DictionaryCache& DictionaryCache::Process() {
  static DictionaryCache cache;
  return cache;
}

std::shared_ptr<const CompiledDictionary> DictionaryCache::Find(const std::u16string& path,
                                                                const FileIdentity& identity) {
  SpinLockHold hold(m_lock);
  const auto found = m_entries.find(path);
  if (found == m_entries.end() || !found->second.identity.SameVersion(identity)) return nullptr;
  return found->second.dictionary;
}

void DictionaryCache::Store(const std::u16string& path, const FileIdentity& identity,
                            std::shared_ptr<const CompiledDictionary> dictionary) {
  Entry replaced;
  SpinLockHold hold(m_lock);
  Entry& entry = m_entries[path];
  replaced = std::exchange(entry, Entry{identity, std::move(dictionary)});
  // `replaced` is released after the lock, when this function returns.
}

void DictionaryCache::Clear() {
  HashMap<std::u16string, Entry, U16Hash> old;
  SpinLockHold hold(m_lock);
  old.swap(m_entries);
}

}  // namespace vellumtrace
