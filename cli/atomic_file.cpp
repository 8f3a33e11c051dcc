#include "cli/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vellumtrace {
namespace {

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

// Read once before any thread starts: reading the mask means setting it.
const mode_t kProcessUmask = [] {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}();

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error) {
  // Hidden, so that a folder listing never offers a result in progress.
  std::string hidden(1, '.');
  hidden += path.filename().string();
  hidden += ".XXXXXX";
  const std::string pattern = (path.parent_path() / hidden).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    *error = "cannot write " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file 0600; a result is an ordinary file.
  ::fchmod(fd, 0666 & ~kProcessUmask);

  bool ok = WriteAll(fd, bytes);
  int savedErrno = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    savedErrno = errno;
  }
  if (ok && std::rename(name.data(), path.c_str()) != 0) {
    ok = false;
    savedErrno = errno;
  }
  if (!ok) {
    ::unlink(name.data());
    *error = "cannot write " + path.string() + ": " + std::strerror(savedErrno);
  }
  return ok;
}

}  // namespace vellumtrace
