#ifndef VELLUMTRACE_PLATFORM_WINDOWS_COM_APARTMENT_H_
#define VELLUMTRACE_PLATFORM_WINDOWS_COM_APARTMENT_H_

#include <objbase.h>

namespace vellumtrace {

// Joins the calling thread to a single-threaded apartment while it lives,
// when the thread has none yet, and leaves it again at the end: a thread
// that was already in one (S_FALSE) is balanced too, a thread in the
// multithreaded apartment (RPC_E_CHANGED_MODE) is left as it is. Must end
// on the thread that made it.
class ComApartment {
 public:
  ComApartment() : m_joined(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (m_joined) CoUninitialize();
  }

 private:
  bool m_joined;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_WINDOWS_COM_APARTMENT_H_
