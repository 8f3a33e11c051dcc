#ifndef VELLUMTRACE_TESTS_SUPPORT_RECORDING_SERVICES_H_
#define VELLUMTRACE_TESTS_SUPPORT_RECORDING_SERVICES_H_

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/alert.h"
#include "base/diagnostic.h"
#include "base/debug_output.h"
#include "engine/engine_services.h"
#include "base/module_locator.h"
#include "platform/linux/libxml2_reader.h"

namespace vellumtrace::testing {

// Counts the fragments it is given while it says it is disabled: a run
// must give it none.
class DisabledCountingOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view) override { ++writes; }
  bool IsEnabled() const override { return false; }
  size_t writes = 0;
};

// Keeps every fragment, in order.
class RecordingDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view fragment) override { fragments.emplace_back(fragment); }
  std::u16string Joined() const {
    std::u16string all;
    for (const auto& f : fragments) all += f;
    return all;
  }
  std::vector<std::u16string> fragments;
};

class RecordingAlert final : public Alert {
 public:
  void Show(std::u16string_view text, std::u16string_view caption) override {
    shown.emplace_back(text, caption);
    if (onShow) onShow();
  }
  void ShowDetail(std::u16string_view detail) override { details.emplace_back(detail); }
  std::vector<std::pair<std::u16string, std::u16string>> shown;
  std::vector<std::u16string> details;
  // Runs while the alert "shows", as a host's messages would.
  std::function<void()> onShow;
};

class RecordingDiagnostic final : public Diagnostic {
 public:
  void WriteReaderFailure() override { written += "d"; }
  std::string written;
};

class FixedModuleLocator final : public ModuleLocator {
 public:
  explicit FixedModuleLocator(std::u16string folder, char16_t separator = u'/')
      : m_folder(std::move(folder)), m_separator(separator) {}
  std::u16string ModuleFolder() override { return m_folder; }
  char16_t PathSeparator() const override { return m_separator; }

 private:
  std::u16string m_folder;
  char16_t m_separator;
};

// Everything an engine needs, recording what it sees; reads dictionaries
// with the real libxml2 reader unless another reader is given.
struct RecordingPlatform {
  explicit RecordingPlatform(std::u16string folder = u"/nonexistent/")
      : locator(std::move(folder)) {}
  EngineServices Services(XmlReader* otherReader = nullptr) {
    return {&debug, &alert, &diagnostic, &locator,
            otherReader ? otherReader : &reader};
  }
  RecordingDebugOutput debug;
  RecordingAlert alert;
  RecordingDiagnostic diagnostic;
  FixedModuleLocator locator;
  Libxml2Reader reader;
};

}  // namespace vellumtrace::testing

#endif  // VELLUMTRACE_TESTS_SUPPORT_RECORDING_SERVICES_H_
