#ifndef VELLUMTRACE_DICTIONARY_FILE_IDENTITY_H_
#define VELLUMTRACE_DICTIONARY_FILE_IDENTITY_H_

#include <cstdint>

namespace vellumtrace {

// What tells one version of a file from another without reading it: where
// it lives, its size and its modification time.
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
