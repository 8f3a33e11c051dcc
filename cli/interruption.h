#ifndef VELLUMTRACE_CLI_INTERRUPTION_H_
#define VELLUMTRACE_CLI_INTERRUPTION_H_

namespace vellumtrace {

// While alive, SIGINT and SIGTERM only raise a flag, so that a batch
// finishes the files in flight, removes nothing but its temporaries and
// says what was done. SIGXFSZ is ignored so that a file-size limit shows
// as a failed write rather than killing the process.
class InterruptionGuard {
 public:
  InterruptionGuard();
  ~InterruptionGuard();
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;

  // The signal received, or 0.
  static int Signal();
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_CLI_INTERRUPTION_H_
