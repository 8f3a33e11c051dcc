#include "component/error_info.h"

#include <oaidl.h>
#include <oleauto.h>

#include "component/vellumtrace_idl.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

// 49999 -> "49,999": the way the limit reads in the documentation.
std::wstring Grouped(size_t value) {
  std::wstring digits = std::to_wstring(value);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, 1, L',');
  return digits;
}

}  // namespace

HRESULT ReportFailure(HRESULT hr, const wchar_t* description) noexcept {
  ComPtr<ICreateErrorInfo> created;
  // Without an error object the caller still gets the HRESULT; a stale one
  // must not stand for ours, so it is cleared first.
  SetErrorInfo(0, nullptr);
  if (FAILED(CreateErrorInfo(created.Receive()))) return hr;
  created->SetGUID(IID_ICSummarizer);
  created->SetSource(const_cast<LPOLESTR>(failure::kSource));
  created->SetDescription(const_cast<LPOLESTR>(description));
  ComPtr<IErrorInfo> info;
  if (SUCCEEDED(created->QueryInterface(IID_IErrorInfo, info.ReceiveVoid()))) {
    SetErrorInfo(0, info.Get());
  }
  return hr;
}

void ClearFailure() noexcept { SetErrorInfo(0, nullptr); }

namespace failure {

std::wstring TextTooLong(size_t length, size_t limit) {
  return L"Summarize takes texts of at most " + Grouped(limit) + L" characters; this one has " +
         Grouped(length) + L".";
}

std::wstring BadLanguageCode(const std::wstring& code, size_t limit) {
  if (code.size() > limit) {
    return L"SetLanguage takes a language code of at most " + Grouped(limit) +
           L" characters; this one has " + Grouped(code.size()) + L".";
  }
  return L"SetLanguage takes a language code without '\\', '/' or ':' (it names a file in the "
         L"dic folder); got \"" + code + L"\".";
}

}  // namespace failure
}  // namespace vellumtrace
