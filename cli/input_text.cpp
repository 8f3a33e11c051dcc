#include "cli/input_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/text_codec.h"

namespace vellumtrace {

namespace {

bool ReadAll(std::FILE* stream, std::string* bytes) {
  char chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes->append(chunk, n);
  return std::ferror(stream) == 0;
}

}  // namespace

bool ReadInputText(const std::string& path, std::u16string* text, std::string* error) {
  const bool fromStdin = path.empty() || path == "-";
  const std::string name = fromStdin ? "standard input" : path;
  std::string bytes;
  if (fromStdin) {
    if (!ReadAll(stdin, &bytes)) {
      *error = "cannot read " + name + ": " + std::strerror(errno);
      return false;
    }
  } else {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
      *error = "cannot open " + name + ": " + std::strerror(errno);
      return false;
    }
    if (!ReadAll(file.get(), &bytes)) {
      *error = "cannot read " + name + ": " + std::strerror(errno);
      return false;
    }
  }
  std::string_view view(bytes);
  size_t skipped = 0;
  if (view.starts_with("\xEF\xBB\xBF")) {
    view.remove_prefix(3);
    skipped = 3;
  }
  Utf8Error where;
  if (!DecodeUtf8(view, text, &where)) {
    *error = name + " is not valid UTF-8: invalid byte sequence at byte offset " +
             std::to_string(where.byteOffset + skipped) + " (line " +
             std::to_string(where.line) + ", column " + std::to_string(where.column + (where.line == 1 ? skipped : 0)) + ")";
    return false;
  }
  return true;
}

}  // namespace vellumtrace
