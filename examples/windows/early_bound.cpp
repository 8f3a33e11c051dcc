// An early-bound C++ client of Vellumtrace: CoCreateInstance, then calls
// through ICSummarizer's vtable. The interface is declared here as the type
// library inside Vellumtrace.dll describes it (with MSVC, `#import
// "Vellumtrace.dll"` generates the same). A 32-bit build uses the 32-bit
// registration, a 64-bit build the 64-bit one.
//   early_bound TEXT LANGUAGE PERCENT OUTPUT
// TEXT is UTF-16LE (a byte-order mark is skipped); OUTPUT is written as
// UTF-16LE. Build with mingw-w64:
//   x86_64-w64-mingw32-g++ -municode early_bound.cpp -o early_bound.exe -lole32 -loleaut32
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>

// The dual interface: IDispatch's methods, then these two, in this order.
// Outside any unnamed namespace: the compiler may assume that no object of
// an abstract class with internal linkage can exist, and drop the calls.
struct ICSummarizer : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE SetLanguage(BSTR language) = 0;
  virtual HRESULT STDMETHODCALLTYPE Summarize(BSTR text, long percent, long html,
                                              BSTR* summary) = 0;
};

namespace {

const CLSID kClsidCSummarizer = {
    0x5B07C43F, 0x9E2F, 0x11D6, {0xA4, 0x17, 0x00, 0x50, 0x8B, 0x6E, 0x31, 0xC2}};
const IID kIidICSummarizer = {
    0x5B07C43E, 0x9E2F, 0x11D6, {0xA4, 0x17, 0x00, 0x50, 0x8B, 0x6E, 0x31, 0xC2}};

// The component's own description of a failure, where it set one.
void ReportFailure(const wchar_t* what, HRESULT hr) {
  std::fwprintf(stderr, L"%ls failed: 0x%08lX", what, static_cast<unsigned long>(hr));
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) == S_OK) {
    BSTR description = nullptr;
    if (SUCCEEDED(info->GetDescription(&description)) && description) {
      std::fwprintf(stderr, L": %ls", description);
    }
    SysFreeString(description);
    info->Release();
  }
  std::fwprintf(stderr, L"\n");
}

int Run(const wchar_t* text_path, const wchar_t* language, long percent,
        const wchar_t* output_path) {
  std::ifstream in(text_path, std::ios::binary);
  if (!in) {
    std::fwprintf(stderr, L"cannot read %ls\n", text_path);
    return 1;
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::wstring text(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);

  ICSummarizer* summarizer = nullptr;
  HRESULT hr = CoCreateInstance(kClsidCSummarizer, nullptr, CLSCTX_INPROC_SERVER,
                                kIidICSummarizer, reinterpret_cast<void**>(&summarizer));
  if (FAILED(hr)) {
    ReportFailure(L"CoCreateInstance", hr);  // 0x80040154: not registered for this bitness
    return 1;
  }
  BSTR bstr_language = SysAllocString(language);
  BSTR bstr_text = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  BSTR summary = nullptr;
  hr = summarizer->SetLanguage(bstr_language);
  if (SUCCEEDED(hr)) hr = summarizer->Summarize(bstr_text, percent, 0, &summary);
  int status = 0;
  if (FAILED(hr)) {
    ReportFailure(L"Vellumtrace", hr);
    status = 1;
  } else {
    std::ofstream out(output_path, std::ios::binary);
    for (UINT i = 0; i < SysStringLen(summary); ++i) {
      out.put(static_cast<char>(summary[i] & 0xFF));
      out.put(static_cast<char>(summary[i] >> 8));
    }
    if (!out) {
      std::fwprintf(stderr, L"cannot write %ls\n", output_path);
      status = 1;
    }
  }
  SysFreeString(summary);
  SysFreeString(bstr_text);
  SysFreeString(bstr_language);
  summarizer->Release();
  return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fwprintf(stderr, L"usage: early_bound TEXT LANGUAGE PERCENT OUTPUT\n");
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int status = Run(argv[1], argv[2], std::wcstol(argv[3], nullptr, 10), argv[4]);
  CoUninitialize();
  return status;
}
