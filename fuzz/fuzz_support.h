#ifndef VELLUMTRACE_FUZZ_FUZZ_SUPPORT_H_
#define VELLUMTRACE_FUZZ_FUZZ_SUPPORT_H_

// What the fuzz targets share: a platform that keeps nothing but counts,
// a scratch file per process, and splitting one input into parts.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/libxml2_reader.h"
#include "base/alert.h"
#include "base/diagnostic.h"
#include "base/debug_output.h"
#include "engine/engine_services.h"
#include "base/module_locator.h"

namespace vellumtrace::fuzz {

// Takes every dump fragment (so the dumps are built) and keeps their size.
class CountingDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view fragment) override {
    ++fragments;
    units += fragment.size();
  }
  size_t fragments = 0;
  size_t units = 0;
};

class CountingAlert final : public Alert {
 public:
  void Show(std::u16string_view, std::u16string_view) override { ++shown; }
  size_t shown = 0;
};

class CountingDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override { ++written; }
  size_t written = 0;
};

class FixedLocator final : public ModuleLocator {
 public:
  std::u16string ModuleFolder() override { return u"/nonexistent/"; }
  char16_t PathSeparator() const override { return u'/'; }
};

struct CountingPlatform {
  EngineServices Services() { return {&debug, &alert, &diagnostic, &locator, &reader}; }
  CountingDebugOutput debug;
  CountingAlert alert;
  CountingDiagnostic diagnostic;
  FixedLocator locator;
  Libxml2Reader reader;
};

// ASCII paths only, which is all the targets make.
inline std::u16string Widen(std::string_view ascii) { return {ascii.begin(), ascii.end()}; }

// One file per process (parallel jobs each get theirs), rewritten for
// every input and removed at exit.
class ScratchFile {
 public:
  ScratchFile() {
    const char* dir = std::getenv("TMPDIR");
    m_path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
             "/vellumtrace_fuzz_" + std::to_string(::getpid()) + ".xml";
  }
  ~ScratchFile() { std::remove(m_path.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Write(std::string_view bytes) const {
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    std::fclose(file);
    return m_path;
  }

 private:
  std::string m_path;
};

// Takes the part before the first `separator` from `rest`; all of it when
// there is none. 0xFF never occurs in UTF-8, so it splits text parts.
inline std::string_view TakePart(std::string_view* rest, char separator = '\xff') {
  const size_t at = rest->find(separator);
  std::string_view part = rest->substr(0, at);
  rest->remove_prefix(at == std::string_view::npos ? rest->size() : at + 1);
  return part;
}

inline std::string_view AsView(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace vellumtrace::fuzz

#endif  // VELLUMTRACE_FUZZ_FUZZ_SUPPORT_H_
