#include "text/utf8_file.h"

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>
#include <utility>

#include "text/large_buffer.h"
#include "text/utf_codec.h"

namespace vellumtrace {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Reads until the end, a NUL byte or more than `cap` bytes.
bool ReadBounded(std::FILE* stream, size_t cap, std::string* bytes) {
  char chunk[1 << 16];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, stream)) > 0) {
    bytes->append(chunk, n);
    if (std::memchr(chunk, '\0', n) != nullptr || bytes->size() > cap) return true;
  }
  return std::ferror(stream) == 0;
}

// A UTF-16 byte-order mark, or NUL bytes in three of four places of one
// parity (Latin text as UTF-16) and hardly any of the other.
bool LooksLikeUtf16(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return true;
  const size_t sample = std::min<size_t>(bytes.size(), 4096) & ~size_t{1};
  size_t evenNuls = 0;
  size_t oddNuls = 0;
  for (size_t i = 0; i < sample; i += 2) {
    evenNuls += bytes[i] == '\0';
    oddNuls += bytes[i + 1] == '\0';
  }
  const size_t pairs = sample / 2;
  const size_t most = std::max(evenNuls, oddNuls);
  return pairs > 0 && most * 4 >= pairs * 3 && std::min(evenNuls, oddNuls) * 8 <= most;
}

std::string Place(const Utf8Error& where) {
  return "byte offset " + std::to_string(where.byteOffset) + " (line " +
         std::to_string(where.line) + ", column " + std::to_string(where.column) + ")";
}

}  // namespace

TextFileStatus ReadUtf8File(const std::string& path, size_t maxUnits, std::u16string* text,
                            std::string* error, std::string* bytesRead) {
  const bool fromStdin = path.empty() || path == "-";
  const std::string name = fromStdin ? "standard input" : path;
  constexpr size_t kNoCap = std::numeric_limits<size_t>::max();
  const size_t cap = maxUnits == 0 || maxUnits > (kNoCap - kUtf8Bom.size()) / 3
                         ? kNoCap
                         : maxUnits * 3 + kUtf8Bom.size();
  std::string bytes;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
  if (!fromStdin) {
    file.reset(std::fopen(path.c_str(), "rb"));
    if (!file) {
      *error = "cannot open " + name + ": " + std::strerror(errno);
      return TextFileStatus::kUnreadable;
    }
    // A file's size, where it has one, sizes the buffer once; what is read
    // still decides (the file may change meanwhile).
    std::error_code ignored;
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    if (!ignored && size < cap) ReserveLarge(bytes, static_cast<size_t>(size) + 1);
  }
  if (!ReadBounded(fromStdin ? stdin : file.get(), cap, &bytes)) {
    *error = "cannot read " + name + ": " + std::strerror(errno);
    return TextFileStatus::kUnreadable;
  }

  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    *error = name + " is not UTF-8: it starts with a UTF-16 byte-order mark; convert it to UTF-8";
    return TextFileStatus::kNotText;
  }
  const std::string_view view = std::string_view(bytes).substr(
      bytes.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0);
  const size_t skipped = bytes.size() - view.size();
  // The first fault wins: invalid UTF-8 before a NUL, then the NUL. Bytes
  // over the bound are not decoded at all.
  const size_t nul = bytes.find('\0');
  size_t units = 0;
  if (nul != std::string::npos || bytes.size() <= cap) {
    const size_t end = nul == std::string::npos ? bytes.size() : nul;
    const std::string_view checked = view.substr(0, end - skipped);
    Utf8Error where;
    const bool valid = text != nullptr ? DecodeUtf8(checked, text, &where)
                                       : CheckUtf8(checked, &units, &where);
    if (text != nullptr) units = text->size();
    if (!valid) {
      *error = name + " is not valid UTF-8: invalid byte sequence at " +
               Place(LocateByte(bytes, where.byteOffset + skipped));
      return TextFileStatus::kNotText;
    }
  }
  if (nul != std::string::npos) {
    *error = name + " holds a NUL byte at " + Place(LocateByte(bytes, nul)) +
             (LooksLikeUtf16(bytes) ? ": it looks like UTF-16; convert it to UTF-8"
                                    : ": a text holds none");
    return TextFileStatus::kNotText;
  }
  if (bytes.size() > cap) {
    *error = "the text is over the bound of " + std::to_string(maxUnits) +
             " UTF-16 code units (reading stopped after " + std::to_string(bytes.size()) +
             " bytes)";
    return TextFileStatus::kTooLong;
  }
  if (maxUnits != 0 && units > maxUnits) {
    *error = "the text is " + std::to_string(units) +
             " UTF-16 code units long, over the bound of " + std::to_string(maxUnits);
    return TextFileStatus::kTooLong;
  }
  if (bytesRead) *bytesRead = std::move(bytes);
  return TextFileStatus::kRead;
}

}  // namespace vellumtrace
