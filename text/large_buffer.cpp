#include "text/large_buffer.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vellumtrace {

namespace {
// Below this a buffer holds too few huge pages to be worth a system call.
constexpr size_t kWorthAdvising = size_t{4} << 20;
constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
}  // namespace

void AdviseHugePages(void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (bytes < kWorthAdvising) return;
  const auto begin = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
  if (last > first) {
    // A refusal (no huge pages configured) only leaves the small pages.
    static_cast<void>(madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
  }
#else
  static_cast<void>(data);
  static_cast<void>(bytes);
#endif
}

}  // namespace vellumtrace
