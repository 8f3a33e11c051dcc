#ifndef VELLUMTRACE_COMPONENT_CLASS_FACTORY_H_
#define VELLUMTRACE_COMPONENT_CLASS_FACTORY_H_

#include <windows.h>
#include <unknwn.h>

namespace vellumtrace {

// The one class factory of CSummarizer, created on first request and kept
// by the module. The module's own reference does not lock the module; the
// first client reference (count 1 -> 2) takes a module lock and dropping
// back to the module's reference alone (2 -> 1) gives it back, so a client
// that holds the factory keeps the DLL loaded.
class ClassFactory final : public IClassFactory {
 public:
  ClassFactory();
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // Aggregation is supported, but only for IUnknown; any other interface
  // with an outer object is CLASS_E_NOAGGREGATION and a debug-output line.
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  // LockServer(FALSE) without a matching LockServer(TRUE) is E_UNEXPECTED
  // and changes nothing.
  STDMETHODIMP LockServer(BOOL lock) override;

 private:
  ~ClassFactory();

  ULONG m_refCount = 1;
  CRITICAL_SECTION m_section;
};

// The cached factory's answer to `riid`; the factory is created on the
// first call, under the module's critical section.
HRESULT GetCachedClassFactory(REFIID riid, void** object);

// Gives back the module's reference (process detach).
void ReleaseCachedClassFactory();

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_CLASS_FACTORY_H_
