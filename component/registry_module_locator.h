#ifndef VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_
#define VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_

#include <string>

#include "base/module_locator.h"

namespace vellumtrace {

// The folder of the registered server: the InprocServer32 value of the
// class's registration, cut after its last backslash. When that cannot be
// read (no registration, no access, a path over 300 units, no backslash)
// the folder of this DLL's own file serves instead.
class RegistryModuleLocator final : public ModuleLocator {
 public:
  std::u16string ModuleFolder() override;
  char16_t PathSeparator() const override { return u'\\'; }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_
