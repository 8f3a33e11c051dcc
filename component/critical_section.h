#ifndef VELLUMTRACE_COMPONENT_CRITICAL_SECTION_H_
#define VELLUMTRACE_COMPONENT_CRITICAL_SECTION_H_

#include <windows.h>

namespace vellumtrace {

// A platform critical section (the win32-thread toolchain has no
// std::mutex). Initialised and deleted explicitly by the module, because
// it lives in static storage that DllMain sets up and tears down.
class CriticalSection {
 public:
  void Initialize() { InitializeCriticalSection(&m_section); }
  void Delete() { DeleteCriticalSection(&m_section); }
  void Enter() { EnterCriticalSection(&m_section); }
  void Leave() { LeaveCriticalSection(&m_section); }

 private:
  CRITICAL_SECTION m_section;
};

// Holds a critical section for one scope.
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CriticalSection& section) : m_section(section) { m_section.Enter(); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;
  ~CriticalSectionLock() { m_section.Leave(); }

 private:
  CriticalSection& m_section;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_CRITICAL_SECTION_H_
