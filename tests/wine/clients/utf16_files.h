// The Wine clients' texts on disk: UTF-16LE, a leading byte-order mark
// skipped on reading.
#ifndef VELLUMTRACE_TESTS_WINE_CLIENTS_UTF16_FILES_H_
#define VELLUMTRACE_TESTS_WINE_CLIENTS_UTF16_FILES_H_

#include <fstream>
#include <iterator>
#include <string>

namespace vellumtrace {

inline bool ReadUtf16File(const std::wstring& path, std::wstring* text) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return false;
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const size_t start = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xff &&
                               static_cast<unsigned char>(bytes[1]) == 0xfe
                           ? 2
                           : 0;
  text->clear();
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    text->push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return true;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

inline bool WriteUtf16File(const std::wstring& path, const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xff);
    bytes += static_cast<char>((c >> 8) & 0xff);
  }
  return WriteBytes(path, bytes);
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TESTS_WINE_CLIENTS_UTF16_FILES_H_
