#ifndef VELLUMTRACE_PLATFORM_WINDOWS_COM_PTR_H_
#define VELLUMTRACE_PLATFORM_WINDOWS_COM_PTR_H_

#include <unknwn.h>

namespace vellumtrace {

// Owns one reference to a COM object and releases it when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      m_object = other.m_object;
      other.m_object = nullptr;
    }
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const { return m_object; }
  T* operator->() const { return m_object; }
  explicit operator bool() const { return m_object != nullptr; }

  // Releases the held object and returns the slot for an out parameter.
  T** Receive() {
    Reset();
    return &m_object;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

  // Hands the reference over to the caller.
  T* Detach() {
    T* object = m_object;
    m_object = nullptr;
    return object;
  }

  // A second owner of the same object.
  ComPtr Share() const {
    ComPtr copy;
    if (m_object) {
      m_object->AddRef();
      copy.m_object = m_object;
    }
    return copy;
  }

  void Reset() {
    if (m_object) {
      T* object = m_object;
      m_object = nullptr;
      object->Release();
    }
  }

 private:
  T* m_object = nullptr;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_PLATFORM_WINDOWS_COM_PTR_H_
