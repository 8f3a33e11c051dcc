#include "platform/windows/msxml_reader.h"

#include <msxml2.h>
#include <windows.h>
#include <winternl.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/windows/bstr_text.h"
#include "platform/windows/com_apartment.h"
#include "platform/windows/com_ptr.h"

namespace vellumtrace {
namespace {

// The document classes and interfaces, declared here because mingw-w64's
// import libraries do not define them.
constexpr CLSID kClsidDomDocument40 = {
    0x88d969c0, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr CLSID kClsidDomDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
constexpr CLSID kClsidDomDocument30 = {
    0xf5078f32, 0xc551, 0x11d3, {0x89, 0xb9, 0x00, 0x00, 0xf8, 0x1f, 0xe2, 0x21}};
constexpr IID kIidXmlDomDocument = {
    0x2933bf81, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
constexpr IID kIidXmlDomDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

// Shared by a document and everything taken from it, so that the thread
// leaves its apartment only after the last of them is released.
using SharedApartment = std::shared_ptr<ComApartment>;

bool NameEquals(BSTR name, const std::u16string& expected) {
  const size_t length = name ? SysStringLen(name) : 0;
  if (length != expected.size()) return false;
  for (size_t i = 0; i < length; ++i) {
    if (static_cast<char16_t>(name[i]) != expected[i]) return false;
  }
  return true;
}

// Every wrapper holds the apartment so that it outlives the COM objects;
// members are released in reverse order, the apartment last.
class MsxmlNode final : public XmlNode {
 public:
  MsxmlNode(SharedApartment apartment, ComPtr<IXMLDOMNode> node)
      : m_apartment(std::move(apartment)), m_node(std::move(node)) {}

  bool GetChildNodes(std::unique_ptr<XmlNodeList>* children) override;

  bool GetText(std::u16string* text) override {
    OwnedBstr value;
    if (FAILED(m_node->get_text(value.Receive()))) return false;
    *text = TextOfBstr(value.Get());
    return true;
  }

 private:
  SharedApartment m_apartment;
  ComPtr<IXMLDOMNode> m_node;
};

// A live collection of the platform, used for child nodes.
class MsxmlChildList final : public XmlNodeList {
 public:
  MsxmlChildList(SharedApartment apartment, ComPtr<IXMLDOMNodeList> list)
      : m_apartment(std::move(apartment)), m_list(std::move(list)) {}

  bool GetLength(int32_t* length) override {
    long count = 0;
    if (FAILED(m_list->get_length(&count))) return false;
    *length = static_cast<int32_t>(count);
    return true;
  }
  void Reset() override { m_list->reset(); }
  std::unique_ptr<XmlNode> GetItem(int32_t index) override {
    ComPtr<IXMLDOMNode> node;
    if (FAILED(m_list->get_item(index, node.Receive())) || !node) return nullptr;
    return std::make_unique<MsxmlNode>(m_apartment, std::move(node));
  }

 private:
  SharedApartment m_apartment;
  ComPtr<IXMLDOMNodeList> m_list;
};

// The elements of one name, chosen once from the platform's collection.
class MsxmlElementList final : public XmlNodeList {
 public:
  MsxmlElementList(SharedApartment apartment, std::vector<ComPtr<IXMLDOMNode>> nodes)
      : m_apartment(std::move(apartment)), m_nodes(std::move(nodes)) {}

  bool GetLength(int32_t* length) override {
    *length = static_cast<int32_t>(m_nodes.size());
    return true;
  }
  void Reset() override {}
  std::unique_ptr<XmlNode> GetItem(int32_t index) override {
    if (index < 0 || static_cast<size_t>(index) >= m_nodes.size()) return nullptr;
    return std::make_unique<MsxmlNode>(m_apartment, m_nodes[static_cast<size_t>(index)].Share());
  }

 private:
  SharedApartment m_apartment;
  std::vector<ComPtr<IXMLDOMNode>> m_nodes;
};

bool MsxmlNode::GetChildNodes(std::unique_ptr<XmlNodeList>* children) {
  ComPtr<IXMLDOMNodeList> list;
  if (FAILED(m_node->get_childNodes(list.Receive())) || !list) return false;
  *children = std::make_unique<MsxmlChildList>(m_apartment, std::move(list));
  return true;
}

enum class FileStream { kOpened, kUnreadable, kFailed };

// Larger than any dictionary; a file beyond it is refused unread.
constexpr LONGLONG kMaxDictionaryBytes = LONGLONG{256} << 20;

// The whole file in a memory stream. kUnreadable: missing, a folder, no
// access or too large (the file's fault); kFailed: the platform's calls.
FileStream OpenFileStream(const std::u16string& path, ComPtr<IStream>* stream) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return FileStream::kUnreadable;
  // Others may write, replace or delete the file meanwhile: a dictionary
  // is updated by renaming a new version over it.
  const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileStream::kUnreadable;
  FileStream result = FileStream::kFailed;
  LARGE_INTEGER size{};
  HGLOBAL memory = nullptr;
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > kMaxDictionaryBytes) {
    result = FileStream::kUnreadable;
  } else if ((memory = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart) + 1))) {
    void* bytes = GlobalLock(memory);
    DWORD read = 0;
    const bool complete = bytes && ReadFile(file, bytes, static_cast<DWORD>(size.QuadPart), &read,
                                            nullptr) && read == static_cast<DWORD>(size.QuadPart);
    if (bytes) GlobalUnlock(memory);
    if (!complete) {
      result = FileStream::kUnreadable;
    } else if (SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, stream->Receive()))) {
      memory = nullptr;  // the stream owns it now
      // The block may be larger than asked for; the stream ends with the file.
      ULARGE_INTEGER end{};
      end.QuadPart = static_cast<ULONGLONG>(size.QuadPart);
      if (SUCCEEDED((*stream)->SetSize(end))) result = FileStream::kOpened;
    }
  }
  if (memory) GlobalFree(memory);
  CloseHandle(file);
  if (result != FileStream::kOpened) stream->Reset();
  return result;
}

class MsxmlDocument final : public XmlDocument {
 public:
  MsxmlDocument(SharedApartment apartment, ComPtr<IXMLDOMDocument> document)
      : m_apartment(std::move(apartment)), m_document(std::move(document)) {}

  // load() takes a string for a URL: a folder named "Fifty%20Off" would
  // be unescaped to one that does not exist. The file's bytes go to the
  // parser as a stream instead, which finds their encoding as in the file.
  LoadResult Load(const std::u16string& path) override {
    ComPtr<IStream> stream;
    const FileStream opened = OpenFileStream(path, &stream);
    if (opened == FileStream::kUnreadable) return LoadResult::kNotLoaded;
    if (opened == FileStream::kFailed) return LoadResult::kCallFailed;
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_UNKNOWN;
    source.punkVal = stream.Get();  // borrowed for the call: no VariantClear
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT hr = m_document->load(source, &loaded);
    if (FAILED(hr)) return LoadResult::kCallFailed;
    return loaded == VARIANT_TRUE ? LoadResult::kLoaded : LoadResult::kNotLoaded;
  }

  // The platform also returns prefixed elements (x:linebreak) for a name;
  // only the name exactly as written makes a section.
  bool GetElementsByTagName(const std::u16string& name,
                            std::unique_ptr<XmlNodeList>* elements) override {
    OwnedBstr tagName(AllocBstr(name));
    if (!tagName.Get()) return false;
    ComPtr<IXMLDOMNodeList> list;
    if (FAILED(m_document->getElementsByTagName(tagName.Get(), list.Receive())) || !list) {
      return false;
    }
    long count = 0;
    if (FAILED(list->get_length(&count))) return false;
    list->reset();
    std::vector<ComPtr<IXMLDOMNode>> matches;
    for (long i = 0; i < count; ++i) {
      ComPtr<IXMLDOMNode> node;
      if (FAILED(list->get_item(i, node.Receive())) || !node) continue;
      OwnedBstr nodeName;
      if (FAILED(node->get_nodeName(nodeName.Receive()))) return false;
      if (NameEquals(nodeName.Get(), name)) matches.push_back(std::move(node));
    }
    *elements = std::make_unique<MsxmlElementList>(m_apartment, std::move(matches));
    return true;
  }

 private:
  SharedApartment m_apartment;
  ComPtr<IXMLDOMDocument> m_document;
};

bool Configure(IXMLDOMDocument& document) {
  if (FAILED(document.put_async(VARIANT_FALSE))) return false;
  if (FAILED(document.put_validateOnParse(VARIANT_FALSE))) return false;
  if (FAILED(document.put_resolveExternals(VARIANT_FALSE))) return false;
  // MSXML 6.0 refuses documents with a document type declaration unless
  // told otherwise; the older classes do not know the property.
  ComPtr<IXMLDOMDocument2> document2;
  if (SUCCEEDED(document.QueryInterface(kIidXmlDomDocument2, document2.ReceiveVoid()))) {
    OwnedBstr property(SysAllocString(L"ProhibitDTD"));
    if (property.Get()) {
      VARIANT prohibit;
      VariantInit(&prohibit);
      prohibit.vt = VT_BOOL;
      prohibit.boolVal = VARIANT_FALSE;
      document2->setProperty(property.Get(), prohibit);
    }
  }
  return true;
}

}  // namespace

namespace {

uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<uint64_t>(high) << 32) | static_cast<uint64_t>(low);
}

// The whole identity, through a handle that asks for the attributes only
// and shares everything: the look-up must never stand in the way of
// someone replacing the file. The volume and the file's number on it play
// the part of device and inode elsewhere.
bool ReadFullIdentity(const wchar_t* path, FileIdentity* identity) {
  const HANDLE file = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION data{};
  const BOOL known = GetFileInformationByHandle(file, &data);
  CloseHandle(file);
  if (!known || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  identity->device = data.dwVolumeSerialNumber;
  identity->file = Join(data.nFileIndexHigh, data.nFileIndexLow);
  identity->size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  identity->modified =
      static_cast<int64_t>(Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
  return true;
}

// The attributes a run reads without opening the file: size and the write
// and change times. The change time moves with every change to the file,
// its times included, and no ordinary tool sets it, so a file put in place
// by a rename, even with the old one's size and write time, shows a new
// one. Read through the native call, which (unlike GetFileAttributesExW)
// reports it without a handle; a handle costs a round trip to the kernel
// object manager on every run, and far more under Wine.
struct QuickAttributes {
  uint64_t size = 0;
  int64_t written = 0;
  int64_t changed = 0;
  bool operator==(const QuickAttributes&) const = default;
};

// Not in the import libraries: looked up in ntdll, which every process has.
using QueryFullAttributes = NTSTATUS(NTAPI*)(OBJECT_ATTRIBUTES*, FILE_NETWORK_OPEN_INFORMATION*);
using DosPathToNtPath = BOOLEAN(NTAPI*)(PCWSTR, UNICODE_STRING*, PCWSTR*, PVOID);
using FreeUnicodeString = void(NTAPI*)(UNICODE_STRING*);

struct NativeCalls {
  QueryFullAttributes query = nullptr;
  DosPathToNtPath toNtPath = nullptr;
  FreeUnicodeString free = nullptr;
};

template <typename Function>
Function NtdllFunction(HMODULE ntdll, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)));
}

const NativeCalls& Native() {
  static const NativeCalls calls = [] {
    NativeCalls found;
    if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
      found.query = NtdllFunction<QueryFullAttributes>(ntdll, "NtQueryFullAttributesFile");
      found.toNtPath = NtdllFunction<DosPathToNtPath>(ntdll, "RtlDosPathNameToNtPathName_U");
      found.free = NtdllFunction<FreeUnicodeString>(ntdll, "RtlFreeUnicodeString");
    }
    if (!found.query || !found.toNtPath || !found.free) found = NativeCalls{};
    return found;
  }();
  return calls;
}

// False when the file is not there, is a folder, or the native calls are
// missing (the caller then reads the whole identity).
bool ReadQuickAttributes(const wchar_t* path, QuickAttributes* attributes) {
  const NativeCalls& native = Native();
  if (!native.query) return false;
  UNICODE_STRING ntPath{};
  if (!native.toNtPath(path, &ntPath, nullptr, nullptr)) return false;
  OBJECT_ATTRIBUTES object;
  InitializeObjectAttributes(&object, &ntPath, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
  FILE_NETWORK_OPEN_INFORMATION information{};
  const bool read = NT_SUCCESS(native.query(&object, &information)) &&
                    (information.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  native.free(&ntPath);
  if (!read) return false;
  attributes->size = static_cast<uint64_t>(information.EndOfFile.QuadPart);
  attributes->written = information.LastWriteTime.QuadPart;
  attributes->changed = information.ChangeTime.QuadPart;
  return true;
}

// What the process knows of one dictionary file between runs: the quick
// attributes and the full identity read with them.
struct KnownFile {
  QuickAttributes attributes;
  FileIdentity identity;
};

SRWLOCK g_knownLock = SRWLOCK_INIT;
// Never freed: it may be read until the process ends.
std::vector<std::pair<std::u16string, KnownFile>>* g_known = nullptr;

// Dictionaries are few; a host asking for ever new paths stops being
// remembered past this many and pays the full look-up on every run.
constexpr size_t kMaxKnown = 64;

}  // namespace

bool MsxmlReader::Identify(const std::u16string& path, FileIdentity* identity) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) return false;
  const auto* name = reinterpret_cast<const wchar_t*>(path.c_str());
  QuickAttributes attributes;
  const bool quick = ReadQuickAttributes(name, &attributes);
  bool found = false;
  AcquireSRWLockExclusive(&g_knownLock);
  try {
    KnownFile* known = nullptr;
    if (quick) {
      if (!g_known) g_known = new std::vector<std::pair<std::u16string, KnownFile>>();
      for (auto& entry : *g_known) {
        if (entry.first == path) known = &entry.second;
      }
    }
    if (known && known->attributes == attributes) {
      *identity = known->identity;
      found = true;
    } else {
      found = ReadFullIdentity(name, identity);
      // Remembered only when the file did not change between the two reads.
      if (found && quick && identity->size == attributes.size &&
          identity->modified == attributes.written) {
        if (known) {
          *known = KnownFile{attributes, *identity};
        } else if (g_known->size() < kMaxKnown) {
          g_known->emplace_back(path, KnownFile{attributes, *identity});
        }
      } else if (known) {
        known->attributes = QuickAttributes{};
        known->attributes.changed = -1;  // matches no file
      }
    }
  } catch (...) {
    // Only allocation fails here; the file then goes unidentified.
    found = false;
  }
  ReleaseSRWLockExclusive(&g_knownLock);
  if (!found) return false;
  // Write times advance by clock ticks: a version younger than two seconds
  // (in 100 ns units) is not trusted yet.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t current = Join(now.dwHighDateTime, now.dwLowDateTime);
  const auto modified = static_cast<uint64_t>(identity->modified);
  identity->settled = current > modified && current - modified > 2ULL * 10 * 1000 * 1000;
  return true;
}

std::unique_ptr<XmlDocument> MsxmlReader::CreateDocument() {
  auto apartment = std::make_shared<ComApartment>();
  for (const CLSID* documentClass :
       {&kClsidDomDocument60, &kClsidDomDocument40, &kClsidDomDocument30}) {
    ComPtr<IXMLDOMDocument> document;
    if (FAILED(CoCreateInstance(*documentClass, nullptr, CLSCTX_INPROC_SERVER,
                                kIidXmlDomDocument, document.ReceiveVoid())) ||
        !document) {
      continue;
    }
    if (!Configure(*document.Get())) return nullptr;
    return std::make_unique<MsxmlDocument>(std::move(apartment), std::move(document));
  }
  return nullptr;
}

}  // namespace vellumtrace
