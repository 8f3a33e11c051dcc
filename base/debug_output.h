#ifndef VELLUMTRACE_BASE_DEBUG_OUTPUT_H_
#define VELLUMTRACE_BASE_DEBUG_OUTPUT_H_

#include <string_view>

namespace vellumtrace {

// Where the diagnostic dumps go. Fragments arrive one call each, in order,
// and must be kept unchanged.
class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  virtual void Write(std::u16string_view fragment) = 0;
  // False for a sink that discards everything: the dumps are then skipped
  // altogether, so they cost nothing.
  virtual bool IsEnabled() const { return true; }
  // Called once at the start of every run, before its first fragment: a
  // sink whose audience comes and goes decides here whether IsEnabled
  // holds for the whole run, so that a run is dumped whole or not at all.
  virtual void BeginRun() {}
};

// Discards every fragment.
class NullDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view) override {}
  bool IsEnabled() const override { return false; }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_DEBUG_OUTPUT_H_
