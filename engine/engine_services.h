#ifndef VELLUMTRACE_ENGINE_ENGINE_SERVICES_H_
#define VELLUMTRACE_ENGINE_ENGINE_SERVICES_H_

namespace vellumtrace {

class Alert;
class DebugOutput;
class Diagnostic;
class ModuleLocator;
class XmlReader;

// The platform as the engine sees it. The engine does not own these; they
// must outlive it.
struct EngineServices {
  DebugOutput* debugOutput;
  Alert* alert;
  Diagnostic* diagnostic;
  ModuleLocator* moduleLocator;
  XmlReader* xmlReader;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_ENGINE_ENGINE_SERVICES_H_
