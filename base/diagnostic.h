#ifndef VELLUMTRACE_BASE_DIAGNOSTIC_H_
#define VELLUMTRACE_BASE_DIAGNOSTIC_H_

namespace vellumtrace {

// The trace of a failing XML reader call: the single character "d" on the
// process's standard output, no line end.
class Diagnostic {
 public:
  virtual ~Diagnostic() = default;
  virtual void WriteReaderFailure() = 0;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_DIAGNOSTIC_H_
