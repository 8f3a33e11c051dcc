// The Wine clients' checks: one "ok - NAME" or "not ok - NAME: DETAIL"
// line each, then a RESULT line that run.sh reads.
#ifndef VELLUMTRACE_TESTS_WINE_CLIENTS_TAP_CHECKS_H_
#define VELLUMTRACE_TESTS_WINE_CLIENTS_TAP_CHECKS_H_

#include <windows.h>

#include <cstdio>
#include <string>

namespace vellumtrace {

inline int g_passed = 0;
inline int g_failed = 0;

// ASCII as is, anything else as '?': for names and details in the lines.
inline std::string Narrow(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';
  return result;
}

inline std::string Hex(HRESULT hr) {
  char buffer[16];
  std::snprintf(buffer, sizeof(buffer), "0x%08lx", static_cast<unsigned long>(hr));
  return buffer;
}

inline void Expect(bool ok, const std::string& name, const std::string& detail = std::string()) {
  if (ok) {
    ++g_passed;
    std::printf("ok - %s\n", name.c_str());
  } else {
    ++g_failed;
    std::printf("not ok - %s%s%s\n", name.c_str(), detail.empty() ? "" : ": ", detail.c_str());
  }
  std::fflush(stdout);
}

inline void ExpectHr(HRESULT actual, HRESULT expected, const std::string& name) {
  Expect(actual == expected, name, "got " + Hex(actual) + ", want " + Hex(expected));
}

inline int Finish() {
  std::printf("RESULT pass=%d fail=%d\n", g_passed, g_failed);
  std::fflush(stdout);
  return g_failed == 0 && g_passed > 0 ? 0 : 1;
}

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TESTS_WINE_CLIENTS_TAP_CHECKS_H_
