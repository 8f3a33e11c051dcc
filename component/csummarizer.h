#ifndef VELLUMTRACE_COMPONENT_CSUMMARIZER_H_
#define VELLUMTRACE_COMPONENT_CSUMMARIZER_H_

#include <windows.h>
#include <oaidl.h>

#include "component/vellumtrace_idl.h"
#include "component/windows_platform.h"
#include "engine/summarizer_engine.h"

namespace vellumtrace {

// The component: the dual interface ICSummarizer over one SummarizerEngine
// for the object's whole life. It can be aggregated: its interface's
// IUnknown methods go to the controlling unknown, which is the object's own
// inner unknown when it stands alone. Lives in one apartment, so its
// reference count is a plain counter. Every live object holds one module
// lock. No C++ exception leaves any of its methods.
//
// Every failing call sets the thread's error object (ISupportErrorInfo says
// so for ICSummarizer); every successful call clears it.
//
// Re-entrancy: the dictionary alert is a message box, and while it shows
// the thread dispatches messages, among them incoming COM calls and host
// timers. A call that reaches the object while its Summarize is running is
// refused with RPC_E_CALL_REJECTED, so that every call returns its own
// result; the running call goes on undisturbed.
class CSummarizer final : public ICSummarizer, public ISupportErrorInfo {
 public:
  // Creates an object (part of `outer` when that is set) and asks its inner
  // unknown for `riid`; the object goes again when that fails.
  static HRESULT Create(IUnknown* outer, REFIID riid, void** object);

  CSummarizer(const CSummarizer&) = delete;
  CSummarizer& operator=(const CSummarizer&) = delete;

  // IUnknown, delegating to the controlling unknown.
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch, served from the registered type library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // ISupportErrorInfo: S_OK for ICSummarizer and IDispatch, else S_FALSE.
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

  // A language code (at most 49 units, no '\', '/' or ':') chooses
  // dic\<code>.xml below the module folder; anything else is E_INVALIDARG
  // and leaves the path as it was. A null BSTR is the empty code.
  // RPC_E_CALL_REJECTED while a Summarize of this object runs.
  STDMETHODIMP SetLanguage(BSTR m_lang) override;
  // One run over the text up to its first NUL (a null BSTR is empty).
  // Texts over 49,999 units are refused with E_INVALIDARG and a null
  // result, without a run. HTMLOutput: not 0 for HTML. A nested call
  // (see above) is RPC_E_CALL_REJECTED with a null result.
  STDMETHODIMP Summarize(BSTR m_textin, LONG sumpercent, LONG HTMLOutput,
                         BSTR* m_Textout) override;

 private:
  // The non-delegating IUnknown that owns the object's lifetime.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(CSummarizer& owner) : m_owner(owner) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

   private:
    CSummarizer& m_owner;
  };

  // Marks the object busy for one call; Entered() is false when another
  // call already holds it. Holds a reference meanwhile, so that a nested
  // Release cannot destroy the object under the running call.
  class CallScope {
   public:
    explicit CallScope(CSummarizer& owner);
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;
    ~CallScope();
    bool Entered() const { return m_entered; }

   private:
    CSummarizer& m_owner;
    bool m_entered;
  };

  explicit CSummarizer(IUnknown* outer);
  ~CSummarizer();

  ULONG m_refCount = 0;
  // 1 while a call runs. Interlocked, so that a host that breaks the
  // apartment rules and calls from two threads is refused too.
  volatile LONG m_busy = 0;
  InnerUnknown m_inner;
  IUnknown* m_controllingUnknown;
  WindowsPlatform m_platform;
  SummarizerEngine m_engine;
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_COMPONENT_CSUMMARIZER_H_
