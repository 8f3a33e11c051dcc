// A C++ client of Vellumtrace.dll for the Wine tests: early binding through
// the vtable, the module's entry points, aggregation, argument checks, the
// debug output and the alert. Prints one "ok"/"not ok" line per check and a
// closing "RESULT pass=N fail=M"; exits 0 only when nothing failed.
//
//   com_client cases CASES          summarise every case of the file
//   com_client checks TEXT DUMP     behaviour checks; writes a run's dumps
//   com_client alert TEXT OUT LANG  a run with a missing dictionary
//   com_client direct DLL P H IN OUT   load the DLL by path, without COM
//   com_client observers TEXT       dumps only while a listener is there
//   com_client bench SECONDS TEXT...    per-call times, early and late bound
//   com_client profile TEXT CALLS   the DLL's imported calls per Summarize
//   com_client service TEXT OUT LANG   the alert on a window station no one sees
//   com_client replace TEXT LANG OUT [FROM TO OUT]...   a run, then renames
//                                   of FROM to TO, each followed by a run
//                                   (none when OUT is "-")
//
// Text files are UTF-16LE (a BOM is skipped); results are written as
// UTF-16LE without BOM. CASES holds lines name|lang|percent|html|in|out.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <initguid.h>
#include <sstream>
#include <string>
#include <vector>

#include "component/vellumtrace_idl.h"
#include "platform/windows/com_ptr.h"
#include "tests/wine/clients/tap_checks.h"
#include "tests/wine/clients/utf16_files.h"
#include "tests/wine/clients/debug_output_reader.h"
#include "tests/wine/clients/import_hook.h"
#include "tests/wine/clients/message_box_watcher.h"

namespace vellumtrace {
namespace {

using DllCanUnloadNowFunction = HRESULT(WINAPI*)();
using DllGetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// ---- files and strings ------------------------------------------------

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class Bstr {
 public:
  explicit Bstr(const std::wstring& text)
      : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(m_text); }
  BSTR Get() const { return m_text; }

 private:
  BSTR m_text;
};

// ---- calls ------------------------------------------------------------

struct Outcome {
  HRESULT hr = E_FAIL;
  bool isNull = true;
  std::wstring text;
};

Outcome SummarizeBstr(ICSummarizer* summarizer, BSTR text, LONG percent, LONG html) {
  Outcome outcome;
  // A sentinel shows whether the method stored a null result.
  BSTR result = reinterpret_cast<BSTR>(static_cast<uintptr_t>(1));
  outcome.hr = summarizer->Summarize(text, percent, html, &result);
  outcome.isNull = result == nullptr;
  if (result && result != reinterpret_cast<BSTR>(static_cast<uintptr_t>(1))) {
    outcome.text.assign(result, SysStringLen(result));
    SysFreeString(result);
  }
  return outcome;
}

Outcome Summarize(ICSummarizer* summarizer, const std::wstring& text, LONG percent, LONG html) {
  Bstr input(text);
  return SummarizeBstr(summarizer, input.Get(), percent, html);
}

HRESULT SetLanguage(ICSummarizer* summarizer, const std::wstring& code) {
  Bstr language(code);
  return summarizer->SetLanguage(language.Get());
}

HRESULT CreateSummarizer(ComPtr<ICSummarizer>* summarizer) {
  return CoCreateInstance(CLSID_CSummarizer, nullptr, CLSCTX_INPROC_SERVER, IID_ICSummarizer,
                          summarizer->ReceiveVoid());
}

// An outer object that aggregates a CSummarizer: it hands out the inner
// object's ICSummarizer as its own and counts its references.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown)) {
      *object = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    if (m_inner && (IsEqualIID(riid, IID_ICSummarizer) || IsEqualIID(riid, IID_IDispatch))) {
      return m_inner->QueryInterface(riid, object);
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
  STDMETHODIMP_(ULONG) Release() override { return --m_refCount; }

  ULONG m_refCount = 1;
  IUnknown* m_inner = nullptr;
};

// ---- the checks -------------------------------------------------------

struct Module {
  DllCanUnloadNowFunction canUnloadNow = nullptr;
  DllGetClassObjectFunction getClassObject = nullptr;
};

bool FindModule(Module* module) {
  HMODULE dll = GetModuleHandleW(L"Vellumtrace.dll");
  if (!dll) return false;
  module->canUnloadNow = reinterpret_cast<DllCanUnloadNowFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllCanUnloadNow")));
  module->getClassObject = reinterpret_cast<DllGetClassObjectFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllGetClassObject")));
  return module->canUnloadNow && module->getClassObject;
}

void CheckRegistrationNames() {
  CLSID clsid = {};
  ExpectHr(CLSIDFromProgID(L"Vellumtrace.CSummarizer", &clsid), S_OK, "version-independent ProgID");
  Expect(IsEqualCLSID(clsid, CLSID_CSummarizer), "version-independent ProgID names the class");
  clsid = {};
  ExpectHr(CLSIDFromProgID(L"Vellumtrace.CSummarizer.1", &clsid), S_OK, "ProgID");
  Expect(IsEqualCLSID(clsid, CLSID_CSummarizer), "ProgID names the class");
}

void CheckInterfaces(ICSummarizer* summarizer) {
  ComPtr<IUnknown> unknownA;
  ComPtr<IUnknown> unknownB;
  ComPtr<IDispatch> dispatch;
  ComPtr<ICSummarizer> again;
  ExpectHr(summarizer->QueryInterface(IID_IUnknown, unknownA.ReceiveVoid()), S_OK, "QI IUnknown");
  ExpectHr(summarizer->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()), S_OK, "QI IDispatch");
  ExpectHr(summarizer->QueryInterface(IID_ICSummarizer, again.ReceiveVoid()), S_OK,
           "QI ICSummarizer");
  if (dispatch) {
    ExpectHr(dispatch->QueryInterface(IID_IUnknown, unknownB.ReceiveVoid()), S_OK,
             "QI IUnknown through IDispatch");
  }
  Expect(unknownA && unknownA.Get() == unknownB.Get(), "one IUnknown identity");
  Expect(again.Get() == summarizer, "ICSummarizer is the same interface");

  struct Refusal {
    const char* name;
    IID iid;
  };
  const Refusal refusals[] = {
      {"IClassFactory", IID_IClassFactory},
      {"IPersist", IID_IPersist},
      {"IProvideClassInfo", IID_IProvideClassInfo},
      {"IConnectionPointContainer", IID_IConnectionPointContainer},
      {"IMarshal", IID_IMarshal},
  };
  for (const Refusal& refusal : refusals) {
    void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
    const HRESULT hr = summarizer->QueryInterface(refusal.iid, &object);
    Expect(hr == E_NOINTERFACE && object == nullptr, std::string("QI refuses ") + refusal.name,
           Hex(hr));
  }
  ExpectHr(summarizer->QueryInterface(IID_IUnknown, nullptr), E_POINTER, "QI with no out pointer");
  ComPtr<ISupportErrorInfo> errorInfo;
  ExpectHr(summarizer->QueryInterface(IID_ISupportErrorInfo, errorInfo.ReceiveVoid()), S_OK,
           "QI ISupportErrorInfo");
}

void CheckFactory(const Module& module) {
  ComPtr<IClassFactory> first;
  ComPtr<IClassFactory> second;
  ExpectHr(module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, first.ReceiveVoid()), S_OK,
           "DllGetClassObject");
  ExpectHr(module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, second.ReceiveVoid()),
           S_OK, "DllGetClassObject again");
  Expect(first && first.Get() == second.Get(), "the same factory twice");
  ComPtr<IClassFactory> throughCom;
  ExpectHr(CoGetClassObject(CLSID_CSummarizer, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                            throughCom.ReceiveVoid()),
           S_OK, "CoGetClassObject");
  Expect(throughCom.Get() == first.Get(), "CoGetClassObject gives the cached factory");

  void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
  HRESULT hr = module.getClassObject(IID_ICSummarizer, IID_IClassFactory, &object);
  Expect(hr == CLASS_E_CLASSNOTAVAILABLE && object == nullptr, "DllGetClassObject other class",
         Hex(hr));
  ExpectHr(module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, nullptr), E_POINTER,
           "DllGetClassObject with no out pointer");
  if (!first) return;
  ExpectHr(first->CreateInstance(nullptr, IID_ICSummarizer, nullptr), E_POINTER,
           "CreateInstance with no out pointer");
  object = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
  hr = first->CreateInstance(nullptr, IID_IPersist, &object);
  Expect(hr == E_NOINTERFACE && object == nullptr, "CreateInstance of a foreign interface", Hex(hr));
}

void CheckUnloading(const Module& module) {
  ExpectHr(module.canUnloadNow(), S_OK, "DllCanUnloadNow with nothing alive");
  {
    ComPtr<ICSummarizer> summarizer;
    CreateSummarizer(&summarizer);
    ExpectHr(module.canUnloadNow(), S_FALSE, "DllCanUnloadNow with an object");
  }
  ExpectHr(module.canUnloadNow(), S_OK, "DllCanUnloadNow after the object");
  {
    ComPtr<IClassFactory> factory;
    module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, factory.ReceiveVoid());
    ExpectHr(module.canUnloadNow(), S_FALSE, "DllCanUnloadNow while a client holds the factory");
    ComPtr<IClassFactory> second;
    module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, second.ReceiveVoid());
    second.Reset();
    ExpectHr(module.canUnloadNow(), S_FALSE, "DllCanUnloadNow with one of two factory refs left");
    ExpectHr(factory->LockServer(TRUE), S_OK, "LockServer(TRUE)");
  }
  ExpectHr(module.canUnloadNow(), S_FALSE, "DllCanUnloadNow with LockServer outstanding");
  {
    ComPtr<IClassFactory> factory;
    module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, factory.ReceiveVoid());
    ExpectHr(factory->LockServer(FALSE), S_OK, "LockServer(FALSE)");
  }
  ExpectHr(module.canUnloadNow(), S_OK, "DllCanUnloadNow after LockServer(FALSE)");
}

void CheckAggregation(const Module& module, const std::wstring& text, const std::wstring& plain) {
  Outer outer;
  ComPtr<IUnknown> inner;
  ExpectHr(CoCreateInstance(CLSID_CSummarizer, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                            inner.ReceiveVoid()),
           S_OK, "aggregated creation for IUnknown");
  if (inner) {
    outer.m_inner = inner.Get();
    const ULONG before = outer.m_refCount;
    ComPtr<ICSummarizer> summarizer;
    ExpectHr(outer.QueryInterface(IID_ICSummarizer, summarizer.ReceiveVoid()), S_OK,
             "the outer object hands out ICSummarizer");
    Expect(outer.m_refCount == before + 1, "the inner interface counts on the outer object");
    ComPtr<IUnknown> identity;
    if (summarizer) summarizer->QueryInterface(IID_IUnknown, identity.ReceiveVoid());
    Expect(identity.Get() == static_cast<IUnknown*>(&outer), "aggregated IUnknown is the outer's");
    identity.Reset();
    if (summarizer) {
      const Outcome outcome = Summarize(summarizer.Get(), text, 50, 0);
      Expect(outcome.hr == S_OK && outcome.text == plain, "the aggregated object summarises");
    }
    summarizer.Reset();
    Expect(outer.m_refCount == before, "releasing goes to the outer object");
    outer.m_inner = nullptr;
    inner.Reset();
  }
  ExpectHr(module.canUnloadNow(), S_OK, "the aggregated object is gone with its inner unknown");

  ComPtr<IClassFactory> factory;
  module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, factory.ReceiveVoid());
  if (!factory) return;
  DebugOutputReader reader;
  const bool reading = reader.Start();
  void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(1));
  const HRESULT hr = factory->CreateInstance(&outer, IID_ICSummarizer, &object);
  const std::vector<std::string> lines = reader.Stop();
  Expect(hr == CLASS_E_NOAGGREGATION && object == nullptr,
         "aggregation asked for ICSummarizer is refused", Hex(hr));
  const std::string expected =
      "ATL: CComClassFactory: asked for non IUnknown interface while creating an aggregated "
      "object";
  Expect(reading && lines.size() == 1 && lines[0] == expected,
         "the refusal writes its debug-output line",
         lines.empty() ? "nothing received" : "got '" + lines[0] + "'");
}

void CheckLanguages(ICSummarizer* summarizer, const std::wstring& text) {
  const Outcome byDefault = Summarize(summarizer, text, 50, 1);
  ExpectHr(SetLanguage(summarizer, L"en"), S_OK, "SetLanguage en");
  const Outcome english = Summarize(summarizer, text, 50, 1);
  Expect(english.hr == S_OK && english.text == byDefault.text, "the default language is en");
  ExpectHr(SetLanguage(summarizer, L"de"), S_OK, "SetLanguage de");
  const Outcome german = Summarize(summarizer, text, 50, 1);
  Expect(german.hr == S_OK && !german.isNull, "a run with de");
  Expect(german.text != english.text, "de gives another result than en for the sample");

  const std::wstring refused[] = {L"a/b",  L"..\\en", L"C:", L"x:y", L"/en",
                                  L"en\\", std::wstring(50, L'a')};
  for (const std::wstring& code : refused) {
    ExpectHr(SetLanguage(summarizer, code), E_INVALIDARG, "SetLanguage refuses '" + Narrow(code) + "'");
  }
  const Outcome after = Summarize(summarizer, text, 50, 1);
  Expect(after.text == german.text, "refused codes leave the dictionary path unchanged");

  ExpectHr(SetLanguage(summarizer, std::wstring(49, L'a')), S_OK, "a 49-unit code is taken");
  ExpectHr(summarizer->SetLanguage(nullptr), S_OK, "a null code is the empty code");
  ExpectHr(SetLanguage(summarizer, L"en"), S_OK, "back to en");
}

void CheckTexts(ICSummarizer* summarizer, const std::wstring& text) {
  const Outcome html = Summarize(summarizer, text, 50, 1);
  const Outcome htmlAgain = Summarize(summarizer, text, 50, 1);
  Expect(html.hr == S_OK && html.text == htmlAgain.text, "a second run gives the same result");
  Expect(Summarize(summarizer, text, 50, -1).text == html.text, "HTMLOutput -1 asks for HTML");
  const Outcome plain = Summarize(summarizer, text, 50, 0);
  Expect(plain.hr == S_OK && plain.text != html.text, "HTMLOutput 0 gives the plain text");
  Expect(Summarize(summarizer, text, 150, 0).text == Summarize(summarizer, text, 100, 0).text,
         "percent 150 behaves as 100");
  Expect(Summarize(summarizer, text, -5, 0).text == Summarize(summarizer, text, 0, 0).text,
         "percent -5 behaves as 0");

  std::wstring longest;
  while (longest.size() < 49999) longest += L"Rivers carry stones downhill. ";
  longest.resize(49999);
  const Outcome fits = Summarize(summarizer, longest, 10, 0);
  Expect(fits.hr == S_OK && !fits.isNull, "a text of 49,999 units is summarised", Hex(fits.hr));
  const Outcome tooLong = Summarize(summarizer, longest + L"x", 10, 0);
  Expect(tooLong.hr == E_INVALIDARG && tooLong.isNull,
         "a text of 50,000 units is refused with a null result", Hex(tooLong.hr));

  const std::wstring head = L"Stones roll. Rivers carry them.";
  std::wstring withNul = head;
  withNul += L'\0';
  withNul += std::wstring(60000, L'x');
  const Outcome cut = Summarize(summarizer, withNul, 100, 0);
  Expect(cut.hr == S_OK && cut.text == Summarize(summarizer, head, 100, 0).text,
         "the text ends at its first NUL", Hex(cut.hr));

  const Outcome nullText = SummarizeBstr(summarizer, nullptr, 50, 1);
  const Outcome emptyText = Summarize(summarizer, L"", 50, 1);
  Expect(nullText.hr == S_OK && !nullText.isNull && nullText.text == emptyText.text,
         "a null text is the empty text", Hex(nullText.hr));
  Bstr input(text);
  ExpectHr(summarizer->Summarize(input.Get(), 50, 1, nullptr), E_POINTER,
           "Summarize with no out pointer");
}

void CheckLateBinding(ICSummarizer* summarizer, const std::wstring& text) {
  ComPtr<IDispatch> dispatch;
  summarizer->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid());
  if (!dispatch) return;
  UINT count = 0;
  ExpectHr(dispatch->GetTypeInfoCount(&count), S_OK, "GetTypeInfoCount");
  Expect(count == 1, "one type information");
  ComPtr<ITypeInfo> info;
  ExpectHr(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Receive()), S_OK, "GetTypeInfo 0");
  ExpectHr(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, info.Receive()), DISP_E_BADINDEX,
           "GetTypeInfo 1");

  struct Name {
    const wchar_t* name;
    HRESULT hr;
    DISPID id;
  };
  const Name names[] = {{L"Summarize", S_OK, 6},
                        {L"SetLanguage", S_OK, 3},
                        {L"summarize", S_OK, 6},
                        {L"Summarise", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}};
  for (const Name& name : names) {
    LPOLESTR requested = const_cast<LPOLESTR>(name.name);
    DISPID id = 0;
    const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, &requested, 1, LOCALE_USER_DEFAULT, &id);
    Expect(hr == name.hr && (FAILED(hr) || id == name.id),
           "GetIDsOfNames " + Narrow(name.name), Hex(hr) + " id " + std::to_string(id));
  }

  const Outcome early = Summarize(summarizer, text, 50, 1);
  VARIANT arguments[3];
  for (VARIANT& argument : arguments) VariantInit(&argument);
  // Arguments go in reverse order.
  arguments[0].vt = VT_I4;
  arguments[0].lVal = 1;
  arguments[1].vt = VT_I4;
  arguments[1].lVal = 50;
  arguments[2].vt = VT_BSTR;
  arguments[2].bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  DISPPARAMS parameters = {arguments, nullptr, 3, 0};
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = dispatch->Invoke(6, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                      &parameters, &result, nullptr, nullptr);
  Expect(hr == S_OK && result.vt == VT_BSTR &&
             std::wstring(result.bstrVal, SysStringLen(result.bstrVal)) == early.text,
         "Invoke DISPID 6 returns the result", Hex(hr));
  VariantClear(&result);
  VariantClear(&arguments[2]);
}

void CheckDumps(ICSummarizer* summarizer, const std::wstring& text, const std::wstring& dumpPath) {
  DebugOutputReader reader;
  Expect(reader.Start(), "the debug output can be read");
  const Outcome outcome = Summarize(summarizer, text, 50, 1);
  const std::vector<std::string> fragments = reader.Stop();
  std::string joined;
  bool articleHeader = false;
  bool ruleHeader = false;
  for (const std::string& fragment : fragments) {
    joined += fragment;
    articleHeader = articleHeader || fragment == "\n*******\nDumping Article ";
    ruleHeader = ruleHeader || fragment == "\nContents of manual";
  }
  Expect(ruleHeader, "the rule dump header is a fragment of its own");
  Expect(articleHeader, "the article header is a fragment of its own");
  Expect(joined.find("\n*******\nDumping output " + Narrow(outcome.text)) != std::string::npos,
         "the summary dump holds the whole result");
  Expect(WriteBytes(dumpPath, joined), "the dumps are written to " + Narrow(dumpPath));
}

int RunChecks(const std::wstring& textPath, const std::wstring& dumpPath) {
  std::wstring text;
  if (!ReadUtf16File(textPath, &text)) {
    Expect(false, "read " + Narrow(textPath));
    return Finish();
  }
  CheckRegistrationNames();
  std::wstring plain;
  {
    ComPtr<ICSummarizer> summarizer;
    ExpectHr(CreateSummarizer(&summarizer), S_OK, "CoCreateInstance ICSummarizer");
    if (!summarizer) return Finish();
    plain = Summarize(summarizer.Get(), text, 50, 0).text;
    CheckInterfaces(summarizer.Get());
  }
  Module module;
  Expect(FindModule(&module), "the DLL's exports are found");
  if (!module.canUnloadNow) return Finish();
  CheckFactory(module);
  CheckUnloading(module);
  CheckAggregation(module, text, plain);
  {
    ComPtr<ICSummarizer> summarizer;
    CreateSummarizer(&summarizer);
    if (!summarizer) return Finish();
    CheckLanguages(summarizer.Get(), text);
    CheckTexts(summarizer.Get(), text);
    CheckLateBinding(summarizer.Get(), text);
    CheckDumps(summarizer.Get(), text, dumpPath);
    ULONG remaining = summarizer->AddRef();
    remaining = summarizer->Release();
    Expect(remaining == 1, "one reference left before the last release");
  }
  ExpectHr(module.canUnloadNow(), S_OK, "DllCanUnloadNow at the end");
  return Finish();
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, separator)) fields.push_back(field);
  return fields;
}

int RunCases(const std::wstring& casesPath) {
  std::ifstream cases(casesPath.c_str());
  if (!cases) {
    Expect(false, "read " + Narrow(casesPath));
    return Finish();
  }
  std::string line;
  while (std::getline(cases, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::vector<std::string> fields = Split(line, '|');
    if (fields.size() != 6) {
      Expect(false, "case line '" + line + "'");
      continue;
    }
    std::wstring text;
    ComPtr<ICSummarizer> summarizer;
    if (!ReadUtf16File(Widen(fields[4]), &text) || FAILED(CreateSummarizer(&summarizer))) {
      Expect(false, fields[0], "no text or no object");
      continue;
    }
    if (!fields[1].empty() && FAILED(SetLanguage(summarizer.Get(), Widen(fields[1])))) {
      Expect(false, fields[0], "SetLanguage");
      continue;
    }
    const Outcome outcome =
        Summarize(summarizer.Get(), text, std::stol(fields[2]), std::stol(fields[3]));
    Expect(outcome.hr == S_OK && !outcome.isNull && WriteUtf16File(Widen(fields[5]), outcome.text),
           fields[0], Hex(outcome.hr));
  }
  return Finish();
}

int RunAlert(const std::wstring& textPath, const std::wstring& outPath, const std::wstring& code) {
  std::wstring text;
  ComPtr<ICSummarizer> summarizer;
  if (!ReadUtf16File(textPath, &text) || FAILED(CreateSummarizer(&summarizer))) {
    Expect(false, "set up the alert run");
    return Finish();
  }
  ExpectHr(SetLanguage(summarizer.Get(), code), S_OK, "SetLanguage to a missing dictionary");
  MessageBoxWatcher watcher(L"ZEV", false);
  watcher.Start();
  std::printf("summarize-called\n");
  std::fflush(stdout);
  const Outcome outcome = Summarize(summarizer.Get(), text, 100, 0);
  std::printf("summarize-returned\n");
  std::fflush(stdout);
  // Another box would show within this time.
  Sleep(1000);
  const std::vector<SeenMessageBox> boxes = watcher.Stop();
  Expect(outcome.hr == S_OK && !outcome.isNull, "Summarize still succeeds", Hex(outcome.hr));
  Expect(boxes.size() == 1, "exactly one message box", std::to_string(boxes.size()) + " seen");
  if (!boxes.empty()) {
    Expect(boxes[0].text == L"Dictionary File not found", "the box says Dictionary File not found",
           Narrow(boxes[0].text));
    Expect(boxes[0].buttons.size() == 1 && boxes[0].buttons[0] == L"OK", "one OK button",
           std::to_string(boxes[0].buttons.size()) + " buttons");
  }
  Expect(WriteUtf16File(outPath, outcome.text), "the result is written");
  return Finish();
}

// Runs on a thread without a COM apartment, as a host that never
// initialised COM would: the dictionary reader must join one for its load
// and leave it again. Then the same from the multithreaded apartment, which
// the reader must leave as it is.
int RunDirect(const std::wstring& dllPath, LONG percent, LONG html, const std::wstring& textPath,
              const std::wstring& outPath) {
  std::wstring text;
  HMODULE dll = LoadLibraryW(dllPath.c_str());
  Module module;
  if (dll) {
    module.getClassObject = reinterpret_cast<DllGetClassObjectFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(dll, "DllGetClassObject")));
  }
  if (!ReadUtf16File(textPath, &text) || !module.getClassObject) {
    Expect(false, "load " + Narrow(dllPath));
    return Finish();
  }
  {
    ComPtr<IClassFactory> factory;
    ComPtr<ICSummarizer> summarizer;
    ExpectHr(module.getClassObject(CLSID_CSummarizer, IID_IClassFactory, factory.ReceiveVoid()),
             S_OK, "DllGetClassObject of the loaded DLL");
    if (factory) {
      ExpectHr(factory->CreateInstance(nullptr, IID_ICSummarizer, summarizer.ReceiveVoid()), S_OK,
               "CreateInstance without registration");
    }
    if (summarizer) {
      const Outcome outcome = Summarize(summarizer.Get(), text, percent, html);
      Expect(outcome.hr == S_OK && WriteUtf16File(outPath, outcome.text),
             "summarised on a thread without an apartment", Hex(outcome.hr));
      // S_OK: the thread had no apartment left, so the reader balanced its own.
      HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      ExpectHr(hr, S_OK, "the reader left the thread without an apartment");
      const Outcome again = Summarize(summarizer.Get(), text, percent, html);
      Expect(again.hr == S_OK && again.text == outcome.text,
             "summarised in the multithreaded apartment", Hex(again.hr));
      // S_FALSE: still in the multithreaded apartment, not changed by the run.
      const HRESULT still = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
      ExpectHr(still, S_FALSE, "the reader left the multithreaded apartment as it was");
      if (SUCCEEDED(still)) CoUninitialize();
      if (SUCCEEDED(hr)) CoUninitialize();
    }
  }
  FreeLibrary(dll);
  return Finish();
}

// ---- observers, timings and the import profile ---------------------------

// Each run looks for an observer afresh: with nobody listening the DLL makes
// no OutputDebugStringW call at all; with a listener every fragment arrives
// as a call of its own; once it is gone again, no call.
int RunObservers(const std::wstring& textPath) {
  std::wstring text;
  ComPtr<ICSummarizer> summarizer;
  HMODULE dll = nullptr;
  if (!ReadUtf16File(textPath, &text) || FAILED(CreateSummarizer(&summarizer)) ||
      !(dll = GetModuleHandleW(L"Vellumtrace.dll"))) {
    Expect(false, "set up the observer runs");
    return Finish();
  }
  ImportProfile profile;
  profile.Install(dll);
  Expect(profile.DebugOutputCalls() == 0, "OutputDebugStringW is hooked in the DLL");
  struct Step {
    const char* name;
    bool listening;
  };
  const Step steps[] = {{"no listener", false},      {"a listener started", true},
                        {"the listener still there", true}, {"the listener gone", false}};
  std::wstring expected;
  for (const Step& step : steps) {
    DebugOutputReader reader;
    if (step.listening) Expect(reader.Start(), std::string(step.name) + ": the listener starts");
    profile.Reset();
    const Outcome outcome = Summarize(summarizer.Get(), text, 50, 1);
    const LONG calls = profile.DebugOutputCalls();
    const std::vector<std::string> fragments = reader.Stop();
    if (expected.empty()) expected = outcome.text;
    Expect(outcome.hr == S_OK && outcome.text == expected,
           std::string(step.name) + ": the same result", Hex(outcome.hr));
    if (step.listening) {
      Expect(calls > 0 && static_cast<size_t>(calls) == fragments.size(),
             std::string(step.name) + ": one OutputDebugStringW call per fragment read",
             std::to_string(calls) + " calls, " + std::to_string(fragments.size()) + " read");
    } else {
      Expect(calls == 0, std::string(step.name) + ": no OutputDebugStringW call",
             std::to_string(calls) + " calls");
    }
  }
  profile.Remove();
  return Finish();
}

double Seconds(LONGLONG ticks) { return static_cast<double>(ticks) / TicksPerSecond(); }

LONGLONG Ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// The time per call of the fastest of five batches, each about a fifth of
// `seconds` long: the machine is shared, and the fastest batch is the one
// other processes disturbed least.
template <typename Call>
double FastestPerCall(double seconds, Call call) {
  for (int i = 0; i < 3; ++i) call();
  LONGLONG start = Ticks();
  long calls = 0;
  while (Seconds(Ticks() - start) < seconds / 20 || calls < 1) {
    call();
    ++calls;
  }
  const long perBatch = std::max(1L, calls * 4);
  std::vector<double> batches;
  for (int batch = 0; batch < 5; ++batch) {
    start = Ticks();
    for (long i = 0; i < perBatch; ++i) call();
    batches.push_back(Seconds(Ticks() - start) / static_cast<double>(perBatch));
  }
  return *std::min_element(batches.begin(), batches.end());
}

// Per-call times of Summarize (20 %, text) on one object kept across calls:
// through the vtable, and through IDispatch::Invoke as a script host calls.
// One line per text: "bench NAME UNITS EARLY_US LATE_US".
int RunBench(double seconds, int count, wchar_t** paths) {
  ComPtr<ICSummarizer> summarizer;
  ComPtr<IDispatch> dispatch;
  if (FAILED(CreateSummarizer(&summarizer)) ||
      FAILED(summarizer->QueryInterface(IID_IDispatch, dispatch.ReceiveVoid()))) {
    Expect(false, "create the object");
    return Finish();
  }
  for (int i = 0; i < count; ++i) {
    std::wstring text;
    if (!ReadUtf16File(paths[i], &text)) {
      Expect(false, "read " + Narrow(paths[i]));
      continue;
    }
    Bstr input(text);
    const double early = FastestPerCall(seconds, [&] {
      BSTR result = nullptr;
      summarizer->Summarize(input.Get(), 20, 0, &result);
      SysFreeString(result);
    });
    VARIANT arguments[3];
    arguments[0].vt = VT_I4;
    arguments[0].lVal = 0;
    arguments[1].vt = VT_I4;
    arguments[1].lVal = 20;
    arguments[2].vt = VT_BSTR;
    arguments[2].bstrVal = input.Get();
    DISPPARAMS parameters = {arguments, nullptr, 3, 0};
    const double late = FastestPerCall(seconds, [&] {
      VARIANT result;
      VariantInit(&result);
      dispatch->Invoke(6, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result,
                       nullptr, nullptr);
      VariantClear(&result);
    });
    std::wstring name = paths[i];
    name = name.substr(name.find_last_of(L"\\/") + 1);
    std::printf("bench %s %u %.2f %.2f\n", Narrow(name).c_str(),
                static_cast<unsigned>(text.size()), early * 1e6, late * 1e6);
    std::fflush(stdout);
  }
  return 0;
}

// Where a warm Summarize call's time goes: the calls the DLL makes to the
// system, counted and timed per Summarize; what is left is the engine and
// the conversions.
int RunProfile(const std::wstring& textPath, int calls) {
  std::wstring text;
  ComPtr<ICSummarizer> summarizer;
  HMODULE dll = nullptr;
  if (!ReadUtf16File(textPath, &text) || FAILED(CreateSummarizer(&summarizer)) ||
      !(dll = GetModuleHandleW(L"Vellumtrace.dll")) || calls < 1) {
    Expect(false, "set up the profile");
    return Finish();
  }
  Bstr input(text);
  for (int i = 0; i < 3; ++i) Summarize(summarizer.Get(), text, 20, 0);
  ImportProfile profile;
  profile.Install(dll);
  const LONGLONG start = Ticks();
  for (int i = 0; i < calls; ++i) {
    BSTR result = nullptr;
    summarizer->Summarize(input.Get(), 20, 0, &result);
    SysFreeString(result);
  }
  const double total = Seconds(Ticks() - start) / calls;
  const std::vector<ImportProbe*> probes = profile.Probes();
  profile.Remove();
  double imported = 0;
  std::printf("profile %u units, %d calls: %.1f us per Summarize\n",
              static_cast<unsigned>(text.size()), calls, total * 1e6);
  for (const ImportProbe* probe : probes) {
    if (probe->calls == 0) continue;
    const double each = Seconds(probe->ticks) / calls;
    imported += each;
    std::printf("  %-28s %8.1f calls %9.1f us\n", probe->name,
                static_cast<double>(probe->calls) / calls, each * 1e6);
  }
  std::printf("  %-28s %8s       %9.1f us\n", "(the rest: engine, COM)", "",
              (total - imported) * 1e6);
  std::fflush(stdout);
  return 0;
}

// ---- the alert on a window station no one sees -----------------------------

bool StationVisible(HWINSTA station) {
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  return GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed) &&
         (flags.dwFlags & WSF_VISIBLE) != 0;
}

struct ServiceRun {
  std::wstring text;
  std::wstring code;
  HDESK desktop = nullptr;
  Outcome outcome;
  std::vector<std::string> fragments;
  LONG boxes = -1;
};

DWORD WINAPI ServiceThread(void* argument) {
  auto* run = static_cast<ServiceRun*>(argument);
  if (!SetThreadDesktop(run->desktop)) return 1;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  {
    ComPtr<ICSummarizer> summarizer;
    if (SUCCEEDED(CreateSummarizer(&summarizer)) &&
        SUCCEEDED(SetLanguage(summarizer.Get(), run->code))) {
      ImportProfile profile;
      profile.Install(GetModuleHandleW(L"Vellumtrace.dll"));
      DebugOutputReader reader;
      reader.Start();
      run->outcome = Summarize(summarizer.Get(), run->text, 100, 0);
      run->fragments = reader.Stop();
      for (const ImportProbe* probe : profile.Probes()) {
        if (std::string(probe->name) == "MessageBoxW") run->boxes = probe->calls;
      }
      profile.Remove();
    }
  }
  CoUninitialize();
  return 0;
}

// Plays a service: the process moves to a window station of its own, which
// is not visible, and summarises there with a missing dictionary. The call
// must come back at once with the rules left empty, the alert's text and
// reason in the debug output, and no message box.
int RunService(const std::wstring& textPath, const std::wstring& outPath,
               const std::wstring& code) {
  ServiceRun run;
  run.code = code;
  if (!ReadUtf16File(textPath, &run.text)) {
    Expect(false, "read " + Narrow(textPath));
    return Finish();
  }
  Expect(StationVisible(GetProcessWindowStation()), "the client starts on a visible window station");
  const HWINSTA station =
      CreateWindowStationW(L"VellumtraceService", 0, WINSTA_ALL_ACCESS, nullptr);
  Expect(station && !StationVisible(station), "a window station of its own, not visible");
  Expect(station && SetProcessWindowStation(station), "the process moves to it");
  run.desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  Expect(run.desktop != nullptr, "a desktop on it");
  if (!station || !run.desktop) return Finish();
  const HANDLE thread = CreateThread(nullptr, 0, &ServiceThread, &run, 0, nullptr);
  // A box there would never be closed: give up on the call after a while.
  // The first call on a new desktop starts that desktop's Wine processes,
  // which on a software-emulated CPU (the suite's QEMU guest) takes far
  // longer than 20 s; a call that returns costs no more for the wider bound.
  const bool returned = thread && WaitForSingleObject(thread, 180000) == WAIT_OBJECT_0;
  Expect(returned, "Summarize returns without anyone closing anything");
  if (!returned) {
    Finish();
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 1);
  }
  CloseHandle(thread);
  Expect(run.outcome.hr == S_OK && !run.outcome.isNull, "Summarize still succeeds",
         Hex(run.outcome.hr));
  Expect(run.boxes == 0, "no message box", std::to_string(run.boxes) + " MessageBoxW calls");
  const auto has = [&run](const std::string& start) {
    for (const std::string& fragment : run.fragments) {
      if (fragment.compare(0, start.size(), start) == 0) return true;
    }
    return false;
  };
  Expect(has("ZEV: Dictionary File not found\n"), "the alert's text goes to the debug output");
  Expect(has("ZEV: dictionary "), "its reason follows it there");
  Expect(WriteUtf16File(outPath, run.outcome.text), "the result is written");
  return Finish();
}

// One object, one run; then renames, each followed by a run unless its
// output is "-": a dictionary renamed over another of the same size and
// time (only the file index tells them apart), or the whole folder swapped.
// Every run must read the files as they are now.
int RunReplace(const std::wstring& textPath, const std::wstring& code, int count, wchar_t** steps) {
  std::wstring text;
  ComPtr<ICSummarizer> summarizer;
  if (!ReadUtf16File(textPath, &text) || FAILED(CreateSummarizer(&summarizer)) || count % 3 != 1) {
    Expect(false, "set up the replacement runs");
    return Finish();
  }
  ExpectHr(SetLanguage(summarizer.Get(), code), S_OK, "SetLanguage " + Narrow(code));
  for (int i = 0; i < count; i += 3) {
    if (i > 0) {
      const bool moved = MoveFileExW(steps[i - 2], steps[i - 1],
                                     (GetFileAttributesW(steps[i - 2]) & FILE_ATTRIBUTE_DIRECTORY)
                                         ? 0
                                         : MOVEFILE_REPLACE_EXISTING) != 0;
      Expect(moved, "rename " + Narrow(steps[i - 2]), std::to_string(GetLastError()));
    }
    const std::wstring out = steps[i];
    if (out == L"-") continue;
    const Outcome outcome = Summarize(summarizer.Get(), text, 50, 0);
    Expect(outcome.hr == S_OK && WriteUtf16File(out, outcome.text), "the run into " + Narrow(out),
           Hex(outcome.hr));
  }
  return Finish();
}

int Main(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"cases" && argc == 3) return RunCases(argv[2]);
  if (mode == L"checks" && argc == 4) return RunChecks(argv[2], argv[3]);
  if (mode == L"alert" && argc == 5) return RunAlert(argv[2], argv[3], argv[4]);
  if (mode == L"direct" && argc == 7) {
    return RunDirect(argv[2], _wtoi(argv[3]), _wtoi(argv[4]), argv[5], argv[6]);
  }
  if (mode == L"observers" && argc == 3) return RunObservers(argv[2]);
  if (mode == L"bench" && argc >= 4) return RunBench(_wtof(argv[2]), argc - 3, argv + 3);
  if (mode == L"profile" && argc == 4) return RunProfile(argv[2], _wtoi(argv[3]));
  if (mode == L"service" && argc == 5) return RunService(argv[2], argv[3], argv[4]);
  if (mode == L"replace" && argc >= 5) return RunReplace(argv[2], argv[3], argc - 4, argv + 4);
  std::fprintf(stderr, "usage: com_client cases|checks|alert|direct|observers|bench|profile|service|replace ...\n");
  return 2;
}

}  // namespace
}  // namespace vellumtrace

int wmain(int argc, wchar_t** argv) {
  // The direct mode plays a host without COM; the service mode moves to
  // another window station first, and its thread joins an apartment there.
  const bool withCom =
      argc < 2 || (std::wstring(argv[1]) != L"direct" && std::wstring(argv[1]) != L"service");
  if (withCom && FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  const int status = vellumtrace::Main(argc, argv);
  if (withCom) CoUninitialize();
  return status;
}
