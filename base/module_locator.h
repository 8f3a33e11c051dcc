#ifndef VELLUMTRACE_BASE_MODULE_LOCATOR_H_
#define VELLUMTRACE_BASE_MODULE_LOCATOR_H_

#include <string>

namespace vellumtrace {

// Finds the folder of the installed module; the dictionaries live in its
// "dic" sub-folder.
class ModuleLocator {
 public:
  virtual ~ModuleLocator() = default;
  // The folder, ending in PathSeparator().
  virtual std::u16string ModuleFolder() = 0;
  virtual char16_t PathSeparator() const = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_MODULE_LOCATOR_H_
