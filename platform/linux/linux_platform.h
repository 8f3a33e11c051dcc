#ifndef VELLUMTRACE_PLATFORM_LINUX_LINUX_PLATFORM_H_
#define VELLUMTRACE_PLATFORM_LINUX_LINUX_PLATFORM_H_

#include <cstdio>

#include "base/debug_output.h"
#include "engine/engine_services.h"
#include "platform/linux/console_alert.h"
#include "platform/linux/installed_module_locator.h"
#include "platform/linux/libxml2_reader.h"

namespace vellumtrace {

// The engine's platform on Linux: libxml2 for the dictionaries, standard
// error for the alert and the reader trace, the installed data folder, and
// a debug output chosen by the caller (none by default).
class LinuxPlatform {
 public:
  LinuxPlatform() : m_alert(stderr), m_diagnostic(stderr) {}
  LinuxPlatform(const LinuxPlatform&) = delete;
  LinuxPlatform& operator=(const LinuxPlatform&) = delete;

  // `output` must outlive every engine made from Services().
  void SetDebugOutput(DebugOutput* output) { m_debugOutput = output ? output : &m_nullOutput; }
  EngineServices Services() {
    return {m_debugOutput, &m_alert, &m_diagnostic, &m_locator, &m_reader};
  }
  const ConsoleAlert& GetAlert() const { return m_alert; }

 private:
  NullDebugOutput m_nullOutput;
  DebugOutput* m_debugOutput = &m_nullOutput;
  ConsoleAlert m_alert;
  StreamDiagnostic m_diagnostic;
  InstalledModuleLocator m_locator;
  Libxml2Reader m_reader;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_LINUX_LINUX_PLATFORM_H_
