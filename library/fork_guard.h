// A process forked while another thread holds a lock of the process's shared
// tables (Python's multiprocessing forks) would wait on that lock for ever
// in the child: the locks of the dictionary cache and the memo shelf are
// taken across fork() and let go on both sides.
#ifndef VELLUMTRACE_LIBRARY_FORK_GUARD_H_
#define VELLUMTRACE_LIBRARY_FORK_GUARD_H_

namespace vellumtrace::adapter {

// Installs the fork handlers, once per process; cheap after the first call.
void GuardForks();

}  // namespace vellumtrace::adapter

#endif  // VELLUMTRACE_LIBRARY_FORK_GUARD_H_
