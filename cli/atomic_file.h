#ifndef VELLUMTRACE_CLI_ATOMIC_FILE_H_
#define VELLUMTRACE_CLI_ATOMIC_FILE_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace vellumtrace {

// A folder that receives whole results. A result is written to an unnamed
// file (O_TMPFILE) and linked into place once complete, so that even
// SIGKILL leaves nothing behind; replacing an existing result needs a
// name, so the complete file is linked to a hidden temporary and renamed
// over it. Where the file system has no unnamed files, the temporary is
// named from the start. Temporaries are `.vellumtrace-<pid>-<n>.tmp`,
// locked (flock) by their writer while they exist, whatever the length of
// the result's name. One instance serves several threads.
class ResultFolder {
 public:
  // `unnamedFirst` false: named temporaries from the start, as on a file
  // system without unnamed files (for tests).
  explicit ResultFolder(bool unnamedFirst = true) : m_unnamedFirst(unnamedFirst) {}
  ~ResultFolder();
  ResultFolder(const ResultFolder&) = delete;
  ResultFolder& operator=(const ResultFolder&) = delete;

  // Opens an existing folder. Returns false with the reason.
  bool Open(const std::filesystem::path& folder, std::string* error);

  // Writes `bytes` as `name` (one name, no folder). Returns false with
  // the reason (a full disk, say), which does not repeat the name; no
  // temporary remains then.
  bool Write(const std::string& name, std::string_view bytes, std::string* error) const;

  // Removes the temporaries that batches no longer alive left behind (a
  // batch killed by SIGKILL while replacing a result): only those whose
  // lock is free and whose process is gone, so a batch still running
  // there keeps its own. Returns how many were removed.
  size_t RemoveDeadTemporaries() const;

 private:
  bool WriteNamed(const std::string& name, std::string_view bytes, std::string* error) const;
  int m_fd = -1;
  bool m_unnamedFirst;
};

// True for the names of ResultFolder's temporaries.
bool IsResultTemporaryName(std::string_view name);

// Writes `bytes` to `path` through ResultFolder: `path` never holds part
// of a result. Returns false with the reason; no temporary file remains.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_ATOMIC_FILE_H_
