#ifndef VELLUMTRACE_COMPONENT_WINDOWS_PLATFORM_H_
#define VELLUMTRACE_COMPONENT_WINDOWS_PLATFORM_H_

#include "component/message_box_alert.h"
#include "component/registry_module_locator.h"
#include "component/windows_debug_output.h"
#include "engine/engine_services.h"
#include "platform/windows/msxml_reader.h"

namespace vellumtrace {

// The engine's platform inside the component: MSXML for the dictionaries,
// the debug output for the dumps, a message box for the alert, printf for
// the reader trace and the class registration for the folder.
class WindowsPlatform {
 public:
  WindowsPlatform() = default;
  WindowsPlatform(const WindowsPlatform&) = delete;
  WindowsPlatform& operator=(const WindowsPlatform&) = delete;

  // Valid while this object lives.
  EngineServices Services() {
    return {&m_debugOutput, &m_alert, &m_diagnostic, &m_locator, &m_reader};
  }

 private:
  WindowsDebugOutput m_debugOutput;
  MessageBoxAlert m_alert;
  PrintfDiagnostic m_diagnostic;
  RegistryModuleLocator m_locator;
  MsxmlReader m_reader;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_WINDOWS_PLATFORM_H_
