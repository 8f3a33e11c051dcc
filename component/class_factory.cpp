#include "component/class_factory.h"

#include <new>

#include "component/csummarizer.h"
#include "component/server_module.h"

namespace vellumtrace {
namespace {

ClassFactory* g_classFactory = nullptr;

}  // namespace

ClassFactory::ClassFactory() { InitializeCriticalSection(&m_section); }

ClassFactory::~ClassFactory() { DeleteCriticalSection(&m_section); }

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
  EnterCriticalSection(&m_section);
  const ULONG count = ++m_refCount;
  if (count == 2) LockModule();
  LeaveCriticalSection(&m_section);
  return count;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
  EnterCriticalSection(&m_section);
  const ULONG count = --m_refCount;
  if (count == 1) UnlockModule();
  LeaveCriticalSection(&m_section);
  if (count == 0) delete this;
  return count;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer && !IsEqualIID(riid, IID_IUnknown)) {
    OutputDebugStringW(
        L"ATL: CComClassFactory: asked for non IUnknown interface while creating an "
        L"aggregated object");
    return CLASS_E_NOAGGREGATION;
  }
  return CSummarizer::Create(outer, riid, object);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
  volatile LONG& locks = TheServerModule().m_serverLocks;
  if (lock) {
    InterlockedIncrement(&locks);
    LockModule();
    return S_OK;
  }
  // Only a lock that LockServer(TRUE) took can be given back: an unbalanced
  // call must not let the DLL be unloaded under live objects.
  for (;;) {
    const LONG held = InterlockedCompareExchange(&locks, 0, 0);
    if (held <= 0) return E_UNEXPECTED;
    if (InterlockedCompareExchange(&locks, held - 1, held) == held) break;
  }
  UnlockModule();
  return S_OK;
}

HRESULT GetCachedClassFactory(REFIID riid, void** object) {
  {
    CriticalSectionLock lock(TheServerModule().m_classFactorySection);
    if (!g_classFactory) {
      g_classFactory = new (std::nothrow) ClassFactory();
      if (!g_classFactory) return E_OUTOFMEMORY;
    }
  }
  return g_classFactory->QueryInterface(riid, object);
}

void ReleaseCachedClassFactory() {
  CriticalSectionLock lock(TheServerModule().m_classFactorySection);
  if (g_classFactory) {
    g_classFactory->Release();
    g_classFactory = nullptr;
  }
}

}  // namespace vellumtrace
