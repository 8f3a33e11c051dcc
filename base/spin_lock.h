#ifndef VELLUMTRACE_BASE_SPIN_LOCK_H_
#define VELLUMTRACE_BASE_SPIN_LOCK_H_

#include <atomic>

namespace vellumtrace {

// A lock for sections of a few instructions (a table look-up). The Windows
// cross toolchain has no std::mutex, and the engine knows no platform.
class SpinLock {
 public:
  void lock() {
    while (m_flag.test_and_set(std::memory_order_acquire)) {
    }
  }
  void unlock() { m_flag.clear(std::memory_order_release); }

 private:
  std::atomic_flag m_flag = ATOMIC_FLAG_INIT;
};

// Holds a SpinLock for its own lifetime.
class SpinLockHold {
 public:
  explicit SpinLockHold(SpinLock& lock) : m_lock(lock) { m_lock.lock(); }
  ~SpinLockHold() { m_lock.unlock(); }
  SpinLockHold(const SpinLockHold&) = delete;
  SpinLockHold& operator=(const SpinLockHold&) = delete;

 private:
  SpinLock& m_lock;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_BASE_SPIN_LOCK_H_
