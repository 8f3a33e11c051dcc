#ifndef VELLUMTRACE_DICTIONARY_FILE_IDENTITY_H_
#define VELLUMTRACE_DICTIONARY_FILE_IDENTITY_H_

#include <cstdint>

namespace vellumtrace {

// What tells one version of a file from another without reading it: where
// it lives, its size and its modification time.
// File times advance by clock ticks: a version younger than this could be
// followed, within its tick, by a same-sized edit that keeps the time, so
// it is not trusted yet.
inline constexpr int64_t kSettledAfterNanos = int64_t{2} * 1000 * 1000 * 1000;
inline bool IsSettled(int64_t ageNanos) { return ageNanos > kSettledAfterNanos; }

struct FileIdentity {
  uint64_t device = 0;
  uint64_t file = 0;  // inode or file index
  uint64_t size = 0;
  int64_t modified = 0;  // in the platform's finest unit
  // False while the modification time is so recent that another write in
  // the same clock tick could go unseen; such a version is not cached.
  bool settled = false;

  bool SameVersion(const FileIdentity& other) const {
    return device == other.device && file == other.file && size == other.size &&
           modified == other.modified;
  }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_FILE_IDENTITY_H_
