#include "component/csummarizer.h"

#include <new>
#include <string>
#include <utility>

#include "component/error_info.h"
#include "component/server_module.h"
#include "component/type_info_cache.h"
#include "engine/text_bounds.h"
#include "platform/windows/bstr_text.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

// The language code's buffer holds 50 units, one of them the NUL.
constexpr size_t kMaxLanguageCodeLength = 49;

bool IsLanguageCode(const std::u16string& code) {
  // A separator or drive colon would lead out of the dic folder.
  return code.size() <= kMaxLanguageCodeLength &&
         code.find_first_of(u"\\/:") == std::u16string::npos;
}

}  // namespace

HRESULT CSummarizer::Create(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  CSummarizer* summarizer = nullptr;
  try {
    summarizer = new CSummarizer(outer);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
  // Hold the object while asking, so that a refusal destroys it.
  summarizer->m_inner.AddRef();
  const HRESULT hr = summarizer->m_inner.QueryInterface(riid, object);
  summarizer->m_inner.Release();
  return hr;
}

CSummarizer::CSummarizer(IUnknown* outer)
    : m_inner(*this),
      m_controllingUnknown(outer ? outer : &m_inner),
      m_engine(m_platform.Services()) {
  LockModule();
}

CSummarizer::~CSummarizer() { UnlockModule(); }

CSummarizer::CallScope::CallScope(CSummarizer& owner)
    : m_owner(owner), m_entered(InterlockedCompareExchange(&owner.m_busy, 1, 0) == 0) {
  if (m_entered) m_owner.AddRef();
}

CSummarizer::CallScope::~CallScope() {
  if (!m_entered) return;
  InterlockedExchange(&m_owner.m_busy, 0);
  m_owner.Release();
}

STDMETHODIMP CSummarizer::InnerUnknown::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown)) {
    *object = static_cast<IUnknown*>(this);
  } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_ICSummarizer)) {
    *object = static_cast<ICSummarizer*>(&m_owner);
  } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(&m_owner);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  static_cast<IUnknown*>(*object)->AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CSummarizer::InnerUnknown::AddRef() { return ++m_owner.m_refCount; }

STDMETHODIMP_(ULONG) CSummarizer::InnerUnknown::Release() {
  const ULONG count = --m_owner.m_refCount;
  if (count == 0) delete &m_owner;
  return count;
}

STDMETHODIMP CSummarizer::QueryInterface(REFIID riid, void** object) {
  return m_controllingUnknown->QueryInterface(riid, object);
}

STDMETHODIMP_(ULONG) CSummarizer::AddRef() { return m_controllingUnknown->AddRef(); }

STDMETHODIMP_(ULONG) CSummarizer::Release() { return m_controllingUnknown->Release(); }

STDMETHODIMP CSummarizer::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP CSummarizer::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return GetSummarizerTypeInfo(info);
}

STDMETHODIMP CSummarizer::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                        DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ComPtr<ITypeInfo> info;
  const HRESULT hr = GetSummarizerTypeInfo(info.Receive());
  if (FAILED(hr)) return hr;
  if (count == 1 && names && ids && FindCachedMemberId(names[0], &ids[0])) return S_OK;
  return info->GetIDsOfNames(names, count, ids);
}

STDMETHODIMP CSummarizer::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  ComPtr<ITypeInfo> info;
  const HRESULT hr = GetSummarizerTypeInfo(info.Receive());
  if (FAILED(hr)) return hr;
  return info->Invoke(static_cast<ICSummarizer*>(this), id, flags, params, result, exception,
                      argumentError);
}

STDMETHODIMP CSummarizer::InterfaceSupportsErrorInfo(REFIID riid) {
  return IsEqualIID(riid, IID_ICSummarizer) || IsEqualIID(riid, IID_IDispatch) ? S_OK : S_FALSE;
}

STDMETHODIMP CSummarizer::SetLanguage(BSTR m_lang) {
  try {
    const CallScope scope(*this);
    if (!scope.Entered()) return ReportFailure(RPC_E_CALL_REJECTED, failure::kBusy);
    const std::u16string code(m_lang, m_lang + LengthUpToNul(m_lang));
    if (!IsLanguageCode(code)) {
      const std::wstring reason =
          failure::BadLanguageCode(std::wstring(code.begin(), code.end()), kMaxLanguageCodeLength);
      return ReportFailure(E_INVALIDARG, reason.c_str());
    }
    m_engine.SetDictionaryPath(m_engine.DictionaryPathFor(code));
    ClearFailure();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return ReportFailure(E_OUTOFMEMORY, failure::kOutOfMemory);
  } catch (...) {
    return ReportFailure(E_UNEXPECTED, failure::kUnexpected);
  }
}

STDMETHODIMP CSummarizer::Summarize(BSTR m_textin, LONG sumpercent, LONG HTMLOutput,
                                    BSTR* m_Textout) {
  if (!m_Textout) return ReportFailure(E_POINTER, failure::kNoResultPointer);
  *m_Textout = nullptr;
  try {
    const CallScope scope(*this);
    if (!scope.Entered()) return ReportFailure(RPC_E_CALL_REJECTED, failure::kBusy);
    const size_t length = LengthUpToNul(m_textin);
    if (length > kMaxTextLength) {
      return ReportFailure(E_INVALIDARG, failure::TextTooLong(length, kMaxTextLength).c_str());
    }
    std::u16string text(m_textin, m_textin + length);
    m_engine.SetOutputStyle(HTMLOutput != 0 ? OutputStyle::kHtml : OutputStyle::kPlainText);
    const std::u16string result = m_engine.RunSummary(std::move(text), sumpercent);
    BSTR output = AllocBstr(result);
    if (!output) return ReportFailure(E_OUTOFMEMORY, failure::kOutOfMemory);
    *m_Textout = output;
    ClearFailure();
    return S_OK;
  } catch (const std::bad_alloc&) {
    return ReportFailure(E_OUTOFMEMORY, failure::kOutOfMemory);
  } catch (...) {
    return ReportFailure(E_UNEXPECTED, failure::kUnexpected);
  }
}

}  // namespace vellumtrace
