#ifndef VELLUMTRACE_TESTS_WINE_CLIENTS_IMPORT_HOOK_H_
#define VELLUMTRACE_TESTS_WINE_CLIENTS_IMPORT_HOOK_H_

#include <windows.h>

#include <string>
#include <vector>

namespace vellumtrace {

// Points `module`'s import of `dll`!`name` at `replacement` and returns the
// function it called before; null when the module does not import it.
// Only calls made by that module are seen: what the system DLLs call among
// themselves stays out of the count.
void* PatchImport(HMODULE module, const char* dll, const char* name, void* replacement);

// Calls and time of one imported function, summed since the last Reset.
struct ImportProbe {
  const char* dll;
  const char* name;
  void* original = nullptr;
  volatile LONG calls = 0;
  LONGLONG ticks = 0;
};

// Counts and times a fixed list of the DLL's imports (the registry, file,
// debug-output, COM and heap calls a run might make) while installed.
class ImportProfile {
 public:
  // Hooks every listed function that `module` imports.
  void Install(HMODULE module);
  // Puts the original functions back.
  void Remove();
  void Reset();
  // The probes that were hooked.
  std::vector<ImportProbe*> Probes() const;
  // Calls to OutputDebugStringW since the last Reset (-1 when not hooked).
  LONG DebugOutputCalls() const;

 private:
  HMODULE m_module = nullptr;
};

// Ticks per second of the counter ImportProbe::ticks is in.
double TicksPerSecond();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_TESTS_WINE_CLIENTS_IMPORT_HOOK_H_
