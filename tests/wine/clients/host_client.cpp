// A C++ client of Vellumtrace.dll for the Wine tests of what hosts run
// into: calls that arrive while the alert is up, error objects, unbalanced
// server locks, the version resource and creation from the registration as
// it is found. Prints "ok"/"not ok" lines and a closing
// "RESULT pass=N fail=M"; exits 0 only when nothing failed.
//
//   host_client reentrancy-mta TEXT_A TEXT_B OUT_A OUT_B   (language xx)
//   host_client reentrancy-timer TEXT_A TEXT_B OUT_A       (language xx)
//   host_client errorinfo TEXT
//   host_client lockserver TEXT
//   host_client version DLL VERSION
//   host_client create TEXT OUT       (ProgID, 50 %, plain; no dialog)
//   host_client blocked-registration DLL   (the type library step fails)
//
// Texts are UTF-16LE files; results are written as UTF-16LE without BOM.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <fstream>
#include <initguid.h>
#include <string>
#include <vector>

#include "component/vellumtrace_idl.h"
#include "platform/windows/com_ptr.h"
#include "tests/wine/clients/tap_checks.h"
#include "tests/wine/clients/utf16_files.h"

namespace vellumtrace {
namespace {

using DllCanUnloadNowFunction = HRESULT(WINAPI*)();
using DllGetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

constexpr wchar_t kAlertCaption[] = L"ZEV";
constexpr wchar_t kOurSource[] = L"Vellumtrace.CSummarizer";

// ---- reporting ----------------------------------------------------------

// Quoted for a failure message (one call, which GCC 12's -Wrestrict
// does not misread as it does "'" + text + "'").
std::string Quoted(const std::wstring& text) {
  std::string quoted(1, '\'');
  quoted.append(Narrow(text));
  quoted.push_back('\'');
  return quoted;
}

// ---- files, strings, calls ------------------------------------------------

struct Outcome {
  HRESULT hr = E_FAIL;
  bool isNull = true;
  std::wstring text;
};

Outcome Summarize(ICSummarizer* summarizer, const std::wstring& text, LONG percent, LONG html) {
  Outcome outcome;
  BSTR input = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  BSTR result = nullptr;
  outcome.hr = summarizer->Summarize(input, percent, html, &result);
  SysFreeString(input);
  outcome.isNull = result == nullptr;
  if (result) {
    outcome.text.assign(result, SysStringLen(result));
    SysFreeString(result);
  }
  return outcome;
}

HRESULT SetLanguage(ICSummarizer* summarizer, const wchar_t* code) {
  BSTR language = SysAllocString(code);
  const HRESULT hr = summarizer->SetLanguage(language);
  SysFreeString(language);
  return hr;
}

HRESULT CreateSummarizer(ComPtr<ICSummarizer>* summarizer) {
  return CoCreateInstance(CLSID_CSummarizer, nullptr, CLSCTX_INPROC_SERVER, IID_ICSummarizer,
                          summarizer->ReceiveVoid());
}

// The alert boxes now on screen.
std::vector<HWND> AlertBoxes() {
  std::vector<HWND> boxes;
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", kAlertCaption)) != nullptr) {
    if (IsWindowVisible(box)) boxes.push_back(box);
  }
  return boxes;
}

void CloseBox(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

// Closes every alert box, counting each box once, until `done` is signalled
// or `limitMs` has passed; false on the time limit.
bool CloseBoxesUntil(HANDLE done, DWORD limitMs, std::vector<HWND>* seen) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND box : AlertBoxes()) {
      bool known = false;
      for (HWND old : *seen) known = known || old == box;
      if (!known) seen->push_back(box);
      CloseBox(box);
    }
    if (WaitForSingleObject(done, 100) == WAIT_OBJECT_0) return true;
    if (GetTickCount() - start > limitMs) return false;
  }
}

// Waits up to `limitMs` for the first alert box.
HWND WaitForBox(DWORD limitMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < limitMs) {
    const std::vector<HWND> boxes = AlertBoxes();
    if (!boxes.empty()) return boxes.front();
    Sleep(50);
  }
  return nullptr;
}

// ---- re-entrancy ------------------------------------------------------

// One Summarize on a thread of the multithreaded apartment, through the
// proxy that the main thread shares with it.
struct MtaCall {
  ICSummarizer* summarizer = nullptr;
  std::wstring text;
  Outcome outcome;
};

DWORD WINAPI RunMtaCall(void* context) {
  auto* call = static_cast<MtaCall*>(context);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  call->outcome = Summarize(call->summarizer, call->text, 50, 0);
  CoUninitialize();
  return 0;
}

// One object created from the multithreaded apartment lives on the host's
// apartment thread; two threads call it while its alert is up. The second
// call must come back refused at once, the first with its own result.
int RunReentrancyMta(const std::wstring& textA, const std::wstring& textB,
                     const std::wstring& outA, const std::wstring& outB) {
  ComPtr<ICSummarizer> summarizer;
  ExpectHr(CreateSummarizer(&summarizer), S_OK, "created from the multithreaded apartment");
  if (!summarizer) return Finish();
  ExpectHr(SetLanguage(summarizer.Get(), L"xx"), S_OK, "SetLanguage xx (no such dictionary)");
  MtaCall first{summarizer.Get(), textA, {}};
  MtaCall second{summarizer.Get(), textB, {}};
  HANDLE threads[2] = {CreateThread(nullptr, 0, RunMtaCall, &first, 0, nullptr), nullptr};
  const HWND box = WaitForBox(20000);
  Expect(box != nullptr, "the first call's alert shows");
  threads[1] = CreateThread(nullptr, 0, RunMtaCall, &second, 0, nullptr);
  const bool returned = WaitForSingleObject(threads[1], 5000) == WAIT_OBJECT_0;
  const bool boxStillUp = box && IsWindow(box) && IsWindowVisible(box);
  Expect(returned && boxStillUp, "the second call returns while the first alert is up");
  std::vector<HWND> seen;
  if (box) seen.push_back(box);
  HANDLE all = threads[0];
  const bool firstDone = CloseBoxesUntil(all, 30000, &seen);
  if (!returned) CloseBoxesUntil(threads[1], 30000, &seen);
  Expect(firstDone, "the first call returns once its alert is closed");
  Expect(seen.size() == 1, "one alert box in all", std::to_string(seen.size()) + " seen");
  ExpectHr(second.outcome.hr, RPC_E_CALL_REJECTED, "the nested call is refused");
  Expect(second.outcome.isNull, "the refused call gives no result");
  // (Wine does not carry error objects across apartments; the errorinfo
  // mode checks them within one.)
  ExpectHr(first.outcome.hr, S_OK, "the first call succeeds");
  Expect(WriteUtf16File(outA, first.outcome.text), "the first result is written");
  for (HANDLE thread : threads) {
    if (thread) CloseHandle(thread);
  }

  // The object is not left busy: the next call runs (its own alert closed
  // as soon as it shows).
  MtaCall again{summarizer.Get(), textB, {}};
  HANDLE thread = CreateThread(nullptr, 0, RunMtaCall, &again, 0, nullptr);
  std::vector<HWND> later;
  Expect(CloseBoxesUntil(thread, 30000, &later), "a later call returns");
  CloseHandle(thread);
  ExpectHr(again.outcome.hr, S_OK, "a later call succeeds");
  Expect(WriteUtf16File(outB, again.outcome.text), "the later result is written");
  return Finish();
}

struct TimerCall {
  ICSummarizer* summarizer = nullptr;
  std::wstring text;
  Outcome outcome;
  bool ran = false;
  bool boxWasUp = false;
};
TimerCall* g_timerCall = nullptr;

// A host timer, dispatched by the alert's own message loop, as a VB6 or VBA
// timer would be: it calls the busy object on the same thread.
void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  TimerCall& call = *g_timerCall;
  if (call.ran) return;
  call.ran = true;
  call.boxWasUp = !AlertBoxes().empty();
  call.outcome = Summarize(call.summarizer, call.text, 50, 0);
  for (HWND box : AlertBoxes()) CloseBox(box);
}

// Closes boxes that the timer could not close, so that a faulty component
// cannot hang the suite.
DWORD WINAPI Watchdog(void* stop) {
  while (WaitForSingleObject(static_cast<HANDLE>(stop), 10000) == WAIT_TIMEOUT) {
    for (HWND box : AlertBoxes()) CloseBox(box);
  }
  return 0;
}

int RunReentrancyTimer(const std::wstring& textA, const std::wstring& textB,
                       const std::wstring& outA) {
  ComPtr<ICSummarizer> summarizer;
  ExpectHr(CreateSummarizer(&summarizer), S_OK, "created in this thread's apartment");
  if (!summarizer) return Finish();
  ExpectHr(SetLanguage(summarizer.Get(), L"xx"), S_OK, "SetLanguage xx (no such dictionary)");
  TimerCall call{summarizer.Get(), textB, {}, false, false};
  g_timerCall = &call;
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, stop, 0, nullptr);
  SetTimer(nullptr, 0, 1000, OnTimer);
  const Outcome outer = Summarize(summarizer.Get(), textA, 50, 0);
  SetEvent(stop);
  WaitForSingleObject(watchdog, INFINITE);
  CloseHandle(watchdog);
  CloseHandle(stop);
  Expect(call.ran && call.boxWasUp, "the timer ran while the alert was up");
  ExpectHr(call.outcome.hr, RPC_E_CALL_REJECTED, "the nested call on the same thread is refused");
  Expect(call.outcome.isNull, "the refused call gives no result");
  ExpectHr(outer.hr, S_OK, "the outer call succeeds");
  Expect(WriteUtf16File(outA, outer.text), "the outer result is written");
  return Finish();
}

// ---- error information ----------------------------------------------------

// Leaves an error object as another component would.
void LeaveStaleError() {
  ComPtr<ICreateErrorInfo> created;
  if (FAILED(CreateErrorInfo(created.Receive()))) return;
  created->SetSource(const_cast<LPOLESTR>(L"SomeOtherComponent"));
  created->SetDescription(const_cast<LPOLESTR>(L"Stale: ADODB field not found"));
  ComPtr<IErrorInfo> info;
  created->QueryInterface(IID_IErrorInfo, info.ReceiveVoid());
  SetErrorInfo(0, info.Get());
}

struct TakenError {
  HRESULT hr = E_FAIL;
  std::wstring source;
  std::wstring description;
};

TakenError TakeError() {
  TakenError taken;
  ComPtr<IErrorInfo> info;
  taken.hr = GetErrorInfo(0, info.Receive());
  if (taken.hr != S_OK || !info) return taken;
  BSTR text = nullptr;
  if (SUCCEEDED(info->GetSource(&text)) && text) taken.source.assign(text, SysStringLen(text));
  SysFreeString(text);
  text = nullptr;
  if (SUCCEEDED(info->GetDescription(&text)) && text) {
    taken.description.assign(text, SysStringLen(text));
  }
  SysFreeString(text);
  return taken;
}

bool Contains(const std::wstring& text, const wchar_t* part) {
  return text.find(part) != std::wstring::npos;
}

int RunErrorInfo(const std::wstring& text) {
  ComPtr<ICSummarizer> summarizer;
  ExpectHr(CreateSummarizer(&summarizer), S_OK, "CoCreateInstance");
  if (!summarizer) return Finish();
  ComPtr<ISupportErrorInfo> support;
  ExpectHr(summarizer->QueryInterface(IID_ISupportErrorInfo, support.ReceiveVoid()), S_OK,
           "QI ISupportErrorInfo");
  if (support) {
    ExpectHr(support->InterfaceSupportsErrorInfo(IID_ICSummarizer), S_OK,
             "error information for ICSummarizer");
    ExpectHr(support->InterfaceSupportsErrorInfo(IID_IPersist), S_FALSE,
             "no error information for a foreign interface");
  }

  // Late binding: the host reads our error object from EXCEPINFO.
  std::wstring tooLong(50000, L'x');
  VARIANT argument;
  VariantInit(&argument);
  argument.vt = VT_BSTR;
  argument.bstrVal = SysAllocStringLen(tooLong.data(), static_cast<UINT>(tooLong.size()));
  DISPPARAMS parameters = {&argument, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO exception{};
  LeaveStaleError();
  const HRESULT invoked = summarizer->Invoke(6, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                             &parameters, &result, &exception, nullptr);
  ExpectHr(invoked, DISP_E_EXCEPTION, "late-bound Summarize of 50,000 units raises");
  const std::wstring source = exception.bstrSource ? exception.bstrSource : L"";
  const std::wstring description = exception.bstrDescription ? exception.bstrDescription : L"";
  Expect(source == kOurSource, "EXCEPINFO.bstrSource is ours", Quoted(source));
  Expect(Contains(description, L"49,999") && Contains(description, L"50,000"),
         "EXCEPINFO.bstrDescription names the limit and the length", Quoted(description));
  ExpectHr(exception.scode, E_INVALIDARG, "EXCEPINFO.scode");
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  VariantClear(&argument);
  VariantClear(&result);

  // Early binding: each failure sets ours over a stale one; success clears.
  struct Case {
    const char* name;
    HRESULT expected;
    const wchar_t* mentions;  // null: the call succeeds and no error object is left
  };
  const Case cases[] = {
      {"a null result pointer", E_POINTER, L"result"},
      {"a text of 50,000 units", E_INVALIDARG, L"49,999"},
      {"SetLanguage a/b", E_INVALIDARG, L"a/b"},
      {"SetLanguage of 50 units", E_INVALIDARG, L"49"},
      {"a successful Summarize", S_OK, nullptr},
      {"a successful SetLanguage", S_OK, nullptr},
  };
  for (const Case& c : cases) {
    LeaveStaleError();
    HRESULT hr = E_FAIL;
    const std::string name = c.name;
    if (name == "a null result pointer") {
      BSTR input = SysAllocString(L"Stones roll.");
      hr = summarizer->Summarize(input, 50, 0, nullptr);
      SysFreeString(input);
    } else if (name == "a text of 50,000 units") {
      hr = Summarize(summarizer.Get(), tooLong, 50, 0).hr;
    } else if (name == "SetLanguage a/b") {
      hr = SetLanguage(summarizer.Get(), L"a/b");
    } else if (name == "SetLanguage of 50 units") {
      hr = SetLanguage(summarizer.Get(), std::wstring(50, L'a').c_str());
    } else if (name == "a successful Summarize") {
      hr = Summarize(summarizer.Get(), text, 50, 0).hr;
    } else {
      hr = SetLanguage(summarizer.Get(), L"en");
    }
    const TakenError taken = TakeError();
    ExpectHr(hr, c.expected, name + ": the call's HRESULT");
    if (c.mentions) {
      Expect(taken.hr == S_OK && taken.source == kOurSource && Contains(taken.description, c.mentions),
             name + ": our error object", "source " + Quoted(taken.source) + ", description " +
                                               Quoted(taken.description));
    } else {
      ExpectHr(taken.hr, S_FALSE, name + ": no error object is left");
    }
  }
  return Finish();
}

// ---- server locks -----------------------------------------------------------

int RunLockServer(const std::wstring& text) {
  ComPtr<ICSummarizer> summarizer;
  ExpectHr(CreateSummarizer(&summarizer), S_OK, "CoCreateInstance");
  HMODULE dll = GetModuleHandleW(L"Vellumtrace.dll");
  if (!summarizer || !dll) return Finish();
  const auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllCanUnloadNow")));
  ComPtr<IClassFactory> factory;
  ExpectHr(CoGetClassObject(CLSID_CSummarizer, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                            factory.ReceiveVoid()),
           S_OK, "CoGetClassObject");
  if (!factory || !canUnloadNow) return Finish();
  ExpectHr(factory->LockServer(FALSE), E_UNEXPECTED, "an unbalanced LockServer(FALSE) is refused");
  factory.Reset();
  ExpectHr(canUnloadNow(), S_FALSE, "DllCanUnloadNow with a live object after it");
  CoFreeUnusedLibrariesEx(0, 0);
  CoFreeUnusedLibrariesEx(0, 0);
  const bool loaded = GetModuleHandleW(L"Vellumtrace.dll") == dll;
  Expect(loaded, "the DLL stays loaded under its live object");
  if (!loaded) {
    // Its code is gone: releasing the object would crash the client.
    summarizer.Detach();
  } else {
    const Outcome outcome = Summarize(summarizer.Get(), text, 50, 0);
    ExpectHr(outcome.hr, S_OK, "the live object still summarises");
    CoGetClassObject(CLSID_CSummarizer, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     factory.ReceiveVoid());
    if (factory) {
      ExpectHr(factory->LockServer(TRUE), S_OK, "LockServer(TRUE)");
      ExpectHr(factory->LockServer(FALSE), S_OK, "its LockServer(FALSE)");
      ExpectHr(factory->LockServer(FALSE), E_UNEXPECTED, "one more LockServer(FALSE)");
      factory.Reset();
    }
    summarizer.Reset();
    ExpectHr(canUnloadNow(), S_OK, "DllCanUnloadNow once the object is gone");
  }
  return Finish();
}

// ---- the version resource -----------------------------------------------

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value) return L"";
  return std::wstring(static_cast<const wchar_t*>(value));
}

int RunVersion(const std::wstring& dllPath, const std::wstring& version) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(dllPath.c_str(), &handle);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(dllPath.c_str(), 0, size, block.data())) {
    Expect(false, "the DLL has a version resource");
    return Finish();
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  std::wstring numbers;
  if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
              std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
              std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
              std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  }
  Expect(numbers == version, "the fixed file version is the project's", Narrow(numbers));
  const std::wstring fileVersion = VersionString(block, L"FileVersion");
  Expect(fileVersion == version, "FileVersion is the project's", Narrow(fileVersion));
  Expect(VersionString(block, L"ProductVersion") == version, "ProductVersion is the project's");
  Expect(!VersionString(block, L"CompanyName").empty(), "CompanyName is set");
  Expect(Contains(VersionString(block, L"LegalCopyright"), L"Copyright"), "LegalCopyright is set");
  const std::wstring description = VersionString(block, L"FileDescription");
  Expect(Contains(description, L"summar"), "FileDescription says what the DLL is",
         Narrow(description));
  return Finish();
}

// ---- creation from the registration as found --------------------------------

struct BoxWatch {
  HANDLE stop;
  std::vector<HWND> seen;
};

DWORD WINAPI WatchBoxes(void* context) {
  auto* watch = static_cast<BoxWatch*>(context);
  CloseBoxesUntil(watch->stop, INFINITE, &watch->seen);
  return 0;
}

int RunCreate(const std::wstring& textPath, const std::wstring& outPath) {
  std::wstring text;
  if (!ReadUtf16File(textPath, &text)) {
    Expect(false, "read the text");
    return Finish();
  }
  CLSID clsid{};
  ExpectHr(CLSIDFromProgID(L"Vellumtrace.CSummarizer", &clsid), S_OK, "the ProgID resolves");
  ComPtr<ICSummarizer> summarizer;
  ExpectHr(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICSummarizer,
                            summarizer.ReceiveVoid()),
           S_OK, "CoCreateInstance");
  if (!summarizer) return Finish();
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  BoxWatch watch{stop, {}};
  HANDLE watcher = CreateThread(nullptr, 0, WatchBoxes, &watch, 0, nullptr);
  const Outcome outcome = Summarize(summarizer.Get(), text, 50, 0);
  SetEvent(stop);
  WaitForSingleObject(watcher, INFINITE);
  CloseHandle(watcher);
  CloseHandle(stop);
  ExpectHr(outcome.hr, S_OK, "Summarize");
  Expect(watch.seen.empty(), "no alert: the dictionary is found",
         std::to_string(watch.seen.size()) + " boxes");
  Expect(WriteUtf16File(outPath, outcome.text), "the result is written");
  return Finish();
}

// ---- registration, all or nothing --------------------------------------

bool KeyExists(const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A volatile TypeLib key admits no lasting key below it, so the type
// library step of DllRegisterServer fails after the class keys were written:
// they must go again.
int RunBlockedRegistration(const std::wstring& dllPath) {
  const wchar_t* typeLibKey = L"TypeLib\\{5B07C431-9E2F-11D6-A417-00508B6E31C2}";
  Expect(!KeyExists(typeLibKey) && !KeyExists(L"CLSID\\{5B07C43F-9E2F-11D6-A417-00508B6E31C2}"),
         "nothing is registered before");
  HKEY key = nullptr;
  const LONG created = RegCreateKeyExW(HKEY_CLASSES_ROOT, typeLibKey, 0, nullptr,
                                       REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  Expect(created == ERROR_SUCCESS, "a volatile type library key", std::to_string(created));
  if (key) RegCloseKey(key);
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  const auto registerServer = reinterpret_cast<DllCanUnloadNowFunction>(
      reinterpret_cast<void (*)()>(dll ? GetProcAddress(dll, "DllRegisterServer") : nullptr));
  if (registerServer) {
    const HRESULT hr = registerServer();
    Expect(FAILED(hr), "DllRegisterServer reports the type library's failure", Hex(hr));
    Expect(!KeyExists(L"CLSID\\{5B07C43F-9E2F-11D6-A417-00508B6E31C2}"), "no class key is left");
    Expect(!KeyExists(L"Vellumtrace.CSummarizer") && !KeyExists(L"Vellumtrace.CSummarizer.1"),
           "no ProgID is left");
  } else {
    Expect(false, "load the DLL's DllRegisterServer");
  }
  if (dll) FreeLibrary(dll);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, typeLibKey);
  return Finish();
}

int Main(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  std::wstring a;
  std::wstring b;
  if (mode == L"reentrancy-mta" && argc == 6 && ReadUtf16File(argv[2], &a) &&
      ReadUtf16File(argv[3], &b)) {
    return RunReentrancyMta(a, b, argv[4], argv[5]);
  }
  if (mode == L"reentrancy-timer" && argc == 5 && ReadUtf16File(argv[2], &a) &&
      ReadUtf16File(argv[3], &b)) {
    return RunReentrancyTimer(a, b, argv[4]);
  }
  if (mode == L"errorinfo" && argc == 3 && ReadUtf16File(argv[2], &a)) return RunErrorInfo(a);
  if (mode == L"lockserver" && argc == 3 && ReadUtf16File(argv[2], &a)) return RunLockServer(a);
  if (mode == L"version" && argc == 4) return RunVersion(argv[2], argv[3]);
  if (mode == L"create" && argc == 4) return RunCreate(argv[2], argv[3]);
  if (mode == L"blocked-registration" && argc == 3) return RunBlockedRegistration(argv[2]);
  std::fprintf(stderr, "usage: host_client reentrancy-mta|reentrancy-timer|errorinfo|"
                       "lockserver|version|create|blocked-registration ...\n");
  return 2;
}

}  // namespace
}  // namespace vellumtrace

int wmain(int argc, wchar_t** argv) {
  // The first mode plays a host in the multithreaded apartment.
  const bool mta = argc > 1 && std::wstring(argv[1]) == L"reentrancy-mta";
  if (FAILED(CoInitializeEx(nullptr, mta ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED))) {
    return 3;
  }
  const int status = vellumtrace::Main(argc, argv);
  CoUninitialize();
  return status;
}
