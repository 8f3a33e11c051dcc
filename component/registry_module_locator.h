#ifndef VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_
#define VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_

#include <string>

#include "base/module_locator.h"

namespace vellumtrace {

// The folder of the registered server: the InprocServer32 value of the
// class's registration (environment strings expanded), cut after its last
// backslash, when that value names this very DLL (same file). Otherwise (no
// registration, another copy's, a deleted folder) the folder of this DLL's
// own file serves, so that a side-by-side copy reads its own dictionaries.
class RegistryModuleLocator final : public ModuleLocator {
 public:
  std::u16string ModuleFolder() override;
  char16_t PathSeparator() const override { return u'\\'; }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_REGISTRY_MODULE_LOCATOR_H_
