#include "cli/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/batch_names.h"

namespace vellumtrace {
namespace {

constexpr std::string_view kTemporaryPrefix = ".vellumtrace-";
constexpr std::string_view kTemporarySuffix = ".tmp";

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool Failed(std::string* error, int number) {
  *error = std::strerror(number);
  return false;
}

// The process id and a counter make a name no live process shares; the
// pid lets a later batch tell whether the writer is still alive.
std::string TemporaryName() {
  static std::atomic<unsigned long> counter{0};
  return std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" +
         std::to_string(counter.fetch_add(1)) + std::string(kTemporarySuffix);
}

// Links the open file `fd` under `name` in the folder `dir`.
int LinkOpenFile(int fd, int dir, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  // Without /proc, only with the capability to link by descriptor.
  if (::linkat(fd, "", dir, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
  return errno;
}

// The pid a temporary's name carries, or 0.
pid_t OwnerOf(std::string_view name) {
  name.remove_prefix(kTemporaryPrefix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9) return 0;
  pid_t pid = 0;
  for (char digit : name.substr(0, dash)) {
    if (digit < '0' || digit > '9') return 0;
    pid = pid * 10 + (digit - '0');
  }
  return pid;
}

}  // namespace

bool IsResultTemporaryName(std::string_view name) {
  return name.size() > kTemporaryPrefix.size() + kTemporarySuffix.size() &&
         name.starts_with(kTemporaryPrefix) && name.ends_with(kTemporarySuffix) &&
         OwnerOf(name) != 0;
}

ResultFolder::~ResultFolder() {
  if (m_fd >= 0) ::close(m_fd);
}

bool ResultFolder::Open(const std::filesystem::path& folder, std::string* error) {
  m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return m_fd >= 0 || Failed(error, errno);
}

bool ResultFolder::Write(const std::string& name, std::string_view bytes,
                         std::string* error) const {
  if (!m_unnamedFirst) return WriteNamed(name, bytes, error);
  // Unnamed until complete; the mode is 0666 less the umask, as for any file.
  const int fd = ::openat(m_fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT) {
      return WriteNamed(name, bytes, error);
    }
    return Failed(error, errno);
  }
  // Locked before it can have a name, so no cleaner ever takes it for dead.
  ::flock(fd, LOCK_EX);
  if (!WriteAll(fd, bytes)) {
    const int saved = errno;
    ::close(fd);
    return Failed(error, saved);
  }
  int status = LinkOpenFile(fd, m_fd, name);
  if (status == EEXIST) {
    // Replacing: through a name of our own, then one rename.
    std::string temporary;
    do {
      temporary = TemporaryName();
      status = LinkOpenFile(fd, m_fd, temporary);
    } while (status == EEXIST);
    if (status == 0 && ::renameat(m_fd, temporary.c_str(), m_fd, name.c_str()) != 0) {
      status = errno;
      ::unlinkat(m_fd, temporary.c_str(), 0);
    }
  } else if (status != 0 && status != ENOSPC && status != EDQUOT && status != ENAMETOOLONG) {
    // No way to link an unnamed file here: write it again under a name.
    ::close(fd);
    return WriteNamed(name, bytes, error);
  }
  ::close(fd);
  return status == 0 || Failed(error, status);
}

bool ResultFolder::WriteNamed(const std::string& name, std::string_view bytes,
                              std::string* error) const {
  std::string temporary;
  int fd;
  do {
    temporary = TemporaryName();
    fd = ::openat(m_fd, temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) return Failed(error, errno);
  // Named before locked: the pid in the name covers that instant.
  ::flock(fd, LOCK_EX);
  int status = WriteAll(fd, bytes) ? 0 : errno;
  if (status == 0 && ::renameat(m_fd, temporary.c_str(), m_fd, name.c_str()) != 0) status = errno;
  if (status != 0) ::unlinkat(m_fd, temporary.c_str(), 0);
  if (::close(fd) != 0 && status == 0) status = errno;
  return status == 0 || Failed(error, status);
}

size_t ResultFolder::RemoveDeadTemporaries() const {
  const int listing = ::dup(m_fd);
  if (listing < 0) return 0;
  DIR* folder = ::fdopendir(listing);
  if (folder == nullptr) {
    ::close(listing);
    return 0;
  }
  size_t removed = 0;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string_view name = entry->d_name;
    if (!IsResultTemporaryName(name)) continue;
    const pid_t owner = OwnerOf(name);
    // A live owner (or a live process that took over its pid) keeps it.
    if (owner == ::getpid() || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
    const int fd = ::openat(m_fd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat opened {}, named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        S_ISREG(opened.st_mode) &&
        ::fstatat(m_fd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino &&
        ::unlinkat(m_fd, entry->d_name, 0) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  ::closedir(folder);
  return removed;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
  ResultFolder folder;
  std::filesystem::path parent = path.parent_path();
  if (parent.empty()) parent = ".";
  std::string reason;
  const bool ok = folder.Open(parent, &reason) && folder.Write(path.filename(), bytes, &reason);
  if (!ok) *error = "cannot write " + ShownName(path.string()) + ": " + reason;
  return ok;
}

}  // namespace vellumtrace
