#ifndef VELLUMTRACE_PLATFORM_LINUX_INSTALLED_MODULE_LOCATOR_H_
#define VELLUMTRACE_PLATFORM_LINUX_INSTALLED_MODULE_LOCATOR_H_

#include <string>

#include "base/module_locator.h"

namespace vellumtrace {

// The folder of the installed data: <prefix>/share/vellumtrace/ beside an
// installed binary in <prefix>/bin, otherwise the binary's own folder (the
// build tree keeps dic/ beside the binary); VELLUMTRACE_DATA_DIR, when set,
// names it instead.
class InstalledModuleLocator final : public ModuleLocator {
 public:
  InstalledModuleLocator();
  // A locator rooted at a known folder (ends in '/').
  explicit InstalledModuleLocator(std::u16string folder);
  std::u16string ModuleFolder() override { return m_folder; }
  char16_t PathSeparator() const override { return u'/'; }

 private:
  std::u16string m_folder;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_LINUX_INSTALLED_MODULE_LOCATOR_H_
