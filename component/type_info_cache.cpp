#include "component/type_info_cache.h"

#include <cwchar>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "component/server_module.h"
#include "component/vellumtrace_idl.h"
#include "platform/windows/bstr_text.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

struct MemberName {
  std::wstring name;
  DISPID id;
};

ITypeInfo* g_typeInfo = nullptr;
std::vector<MemberName>* g_members = nullptr;

// For a dual interface the library hands out the dispatch view; Invoke
// must call through the vtable view, as the client's early binding does.
HRESULT VtableView(ComPtr<ITypeInfo> info, ComPtr<ITypeInfo>* result) {
  TYPEATTR* attributes = nullptr;
  HRESULT hr = info->GetTypeAttr(&attributes);
  if (FAILED(hr)) return hr;
  const bool dispatchView = attributes->typekind == TKIND_DISPATCH &&
                            (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
  info->ReleaseTypeAttr(attributes);
  if (!dispatchView) {
    *result = std::move(info);
    return S_OK;
  }
  HREFTYPE vtableType = 0;
  hr = info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableType);
  if (FAILED(hr)) return hr;
  return info->GetRefTypeInfo(vtableType, result->Receive());
}

HRESULT ReadMemberNames(ITypeInfo& info, std::vector<MemberName>* members) {
  TYPEATTR* attributes = nullptr;
  HRESULT hr = info.GetTypeAttr(&attributes);
  if (FAILED(hr)) return hr;
  const UINT functions = attributes->cFuncs;
  info.ReleaseTypeAttr(attributes);
  for (UINT i = 0; i < functions; ++i) {
    FUNCDESC* function = nullptr;
    hr = info.GetFuncDesc(i, &function);
    if (FAILED(hr)) return hr;
    const MEMBERID id = function->memid;
    info.ReleaseFuncDesc(function);
    OwnedBstr name;
    hr = info.GetDocumentation(id, name.Receive(), nullptr, nullptr, nullptr);
    if (FAILED(hr)) return hr;
    members->push_back({std::wstring(name.Get() ? name.Get() : L""), id});
  }
  return S_OK;
}

HRESULT LoadTypeInfo() {
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadRegTypeLib(LIBID_VellumtraceLib, 1, 0, LOCALE_NEUTRAL, library.Receive());
  if (FAILED(hr)) {
    // The library is inside this DLL: late binding must not depend on its
    // registry entry (removed, damaged, or never written for a
    // registration-free activation).
    const std::wstring modulePath = ModuleFilePath();
    if (modulePath.empty()) return hr;
    hr = LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, library.Receive());
    if (FAILED(hr)) return hr;
  }
  ComPtr<ITypeInfo> info;
  hr = library->GetTypeInfoOfGuid(IID_ICSummarizer, info.Receive());
  if (FAILED(hr)) return hr;
  ComPtr<ITypeInfo> vtableInfo;
  hr = VtableView(std::move(info), &vtableInfo);
  if (FAILED(hr)) return hr;
  auto members = new (std::nothrow) std::vector<MemberName>();
  if (!members) return E_OUTOFMEMORY;
  try {
    hr = ReadMemberNames(*vtableInfo.Get(), members);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  if (FAILED(hr)) {
    delete members;
    return hr;
  }
  g_members = members;
  g_typeInfo = vtableInfo.Detach();
  return S_OK;
}

}  // namespace

HRESULT GetSummarizerTypeInfo(ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  CriticalSectionLock lock(TheServerModule().m_typeInfoSection);
  if (!g_typeInfo) {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
  }
  g_typeInfo->AddRef();
  *info = g_typeInfo;
  return S_OK;
}

bool FindCachedMemberId(const wchar_t* name, DISPID* id) {
  if (!name) return false;
  CriticalSectionLock lock(TheServerModule().m_typeInfoSection);
  if (!g_members) return false;
  const size_t length = std::wcslen(name);
  for (const MemberName& member : *g_members) {
    if (member.name.size() == length && member.name.compare(0, length, name, length) == 0) {
      *id = member.id;
      return true;
    }
  }
  return false;
}

void ReleaseSummarizerTypeInfo() {
  CriticalSectionLock lock(TheServerModule().m_typeInfoSection);
  if (g_typeInfo) {
    g_typeInfo->Release();
    g_typeInfo = nullptr;
  }
  delete g_members;
  g_members = nullptr;
}

}  // namespace vellumtrace
