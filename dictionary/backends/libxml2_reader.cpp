#include "dictionary/backends/libxml2_reader.h"

#include <fcntl.h>
#include <libxml/entities.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <cstdint>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "text/utf_codec.h"

namespace vellumtrace {
namespace {

// The parsed tree, shared by its document and by every list and node taken
// from it, so that none of them can outlive it.
using Tree = std::shared_ptr<xmlDoc>;

// Entity references share one copy of their content in the tree, but every
// walk below expands them, so a few nested entities could stand for billions
// of nodes. Expanded, a document may weigh (nodes plus bytes of text) at
// most twice its file size plus this much.
constexpr uint64_t kMaxExpansion = uint64_t{1} << 24;
constexpr uint64_t kUnbounded = std::numeric_limits<uint64_t>::max();

// No entity substitution by the parser: it would fetch external entities.
// Internal entities are expanded by the walks below instead.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// ---- Text helpers (libxml2 hands out UTF-8) --------------------------------

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsSpaceOnly(std::string_view text) {
  for (char c : text) {
    if (!IsXmlSpace(c)) return false;
  }
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view AsView(const xmlChar* text) {
  return text == nullptr
             ? std::string_view()
             : std::string_view(reinterpret_cast<const char*>(text));
}

// The characters of a text, CDATA, comment or PI node; other node kinds
// (a DTD node among them) do not even share the content field.
std::string_view ContentOf(const xmlNode* node) {
  switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return AsView(node->content);
    default:
      return {};
  }
}

// Fails on an unpaired surrogate, which no file name or XML name can hold.
bool ToUtf8(std::u16string_view in, std::string* out) {
  out->clear();
  return AppendUtf8(*out, in, LoneSurrogate::kRefuse);
}

// Strict: libxml2 only hands out valid UTF-8, so anything else is a fault
// to report rather than to paper over.
bool ToUtf16(std::string_view in, std::u16string* out) {
  return DecodeUtf8(in, out, nullptr);
}

// ---- Walking the tree -------------------------------------------------------

// The entity an entity reference stands for, when it stands for any content:
// only internal general entities do. External ones are never loaded, and a
// reference to an undeclared entity has none.
const xmlEntity* EntityOf(const xmlNode* reference) {
  const xmlNode* declaration = reference->children;
  if (declaration == nullptr || declaration->type != XML_ENTITY_DECL) {
    return nullptr;
  }
  const auto* entity = reinterpret_cast<const xmlEntity*>(declaration);
  return entity->etype == XML_INTERNAL_GENERAL_ENTITY ? entity : nullptr;
}

// Steps through the children of a node in order, reading the content of each
// entity reference as if it were written in its place. Relies on Load having
// refused entity loops.
class ChildCursor {
 public:
  explicit ChildCursor(xmlNode* first) : m_next(first) {}

  // The next child (never an entity reference), or null after the last.
  xmlNode* Next() {
    for (;;) {
      if (m_next == nullptr) {
        if (m_resume.empty()) return nullptr;
        m_next = m_resume.back();
        m_resume.pop_back();
        continue;
      }
      xmlNode* node = m_next;
      m_next = node->next;
      if (node->type != XML_ENTITY_REF_NODE) return node;
      const xmlEntity* entity = EntityOf(node);
      if (entity == nullptr || entity->children == nullptr) continue;
      m_resume.push_back(m_next);
      m_next = entity->children;
    }
  }

 private:
  xmlNode* m_next;
  std::vector<xmlNode*> m_resume;  // where to go on after each open entity
};

// Measures a tree with every entity reference expanded, in nodes plus bytes
// of text, measuring each entity once; an entity loop measures as unbounded.
class ExpandedSize {
 public:
  uint64_t Of(xmlNode* first) {
    uint64_t size = 0;
    std::vector<xmlNode*> pending;
    if (first != nullptr) pending.push_back(first);
    while (!pending.empty()) {
      xmlNode* node = pending.back();
      pending.pop_back();
      if (node->next != nullptr) pending.push_back(node->next);
      size = Add(size, 1 + ContentOf(node).size());
      if (node->type == XML_ELEMENT_NODE && node->children != nullptr) {
        pending.push_back(node->children);
      } else if (node->type == XML_ENTITY_REF_NODE) {
        size = Add(size, OfEntity(EntityOf(node)));
      }
    }
    return size;
  }

 private:
  static uint64_t Add(uint64_t a, uint64_t b) {
    return a > kUnbounded - b ? kUnbounded : a + b;
  }

  uint64_t OfEntity(const xmlEntity* entity) {
    if (entity == nullptr) return 0;
    // While an entity is being measured it stands as unbounded, so that a
    // reference to it from its own content ends the measure.
    const auto [known, fresh] = m_sizes.try_emplace(entity, kUnbounded);
    if (!fresh) return known->second;
    const uint64_t size = Of(entity->children);
    m_sizes[entity] = size;
    return size;
  }

  std::unordered_map<const xmlEntity*, uint64_t> m_sizes;
};

// Gathers the text of an element from its descendants' text runs and CDATA
// sections, following the rules stated in XmlNode.
class ElementText {
 public:
  void AddText(std::string_view text) { m_run.append(text); }

  // Anything but text (an element boundary, a comment, a PI, CDATA) ends
  // the current text run.
  void EndRun() {
    if (m_run.empty()) return;
    if (IsSpaceOnly(m_run)) {
      m_gap = true;
    } else {
      AddPiece(m_run, /*is_text=*/true);
    }
    m_run.clear();
  }

  void AddCData(std::string_view text) {
    EndRun();
    AddPiece(text, /*is_text=*/false);
  }

  std::string Finish() {
    EndRun();
    size_t begin = 0;
    size_t end = m_text.size();
    // A text piece holds more than white space, so trimming stays inside
    // the edge piece; CDATA at an edge keeps its white space.
    if (m_first_is_text) {
      while (begin < end && IsXmlSpace(m_text[begin])) ++begin;
    }
    if (m_last_is_text) {
      while (end > begin && IsXmlSpace(m_text[end - 1])) --end;
    }
    return m_text.substr(begin, end - begin);
  }

 private:
  void AddPiece(std::string_view piece, bool is_text) {
    if (piece.empty()) return;
    if (m_text.empty()) {
      m_first_is_text = is_text;
    } else if (m_gap) {
      m_text.push_back(' ');
    }
    m_text.append(piece);
    m_last_is_text = is_text;
    m_gap = false;
  }

  std::string m_run;
  std::string m_text;
  bool m_gap =
      false;  // a white-space-only run was dropped since the last piece
  bool m_first_is_text = false;
  bool m_last_is_text = false;
};

std::string TextOfElement(xmlNode* element) {
  ElementText text;
  std::vector<ChildCursor> open;
  open.emplace_back(element->children);
  while (!open.empty()) {
    xmlNode* node = open.back().Next();
    if (node == nullptr) {
      open.pop_back();
      text.EndRun();
      continue;
    }
    switch (node->type) {
      case XML_TEXT_NODE:
        text.AddText(ContentOf(node));
        break;
      case XML_CDATA_SECTION_NODE:
        text.AddCData(ContentOf(node));
        break;
      case XML_ELEMENT_NODE:
        text.EndRun();
        open.emplace_back(node->children);
        break;
      default:  // comments and PIs add nothing but split text runs
        text.EndRun();
        break;
    }
  }
  return text.Finish();
}

bool HasQualifiedName(const xmlNode* element, std::string_view name) {
  const std::string_view local = AsView(element->name);
  if (element->ns == nullptr || element->ns->prefix == nullptr) {
    return name == local;
  }
  const std::string_view prefix = AsView(element->ns->prefix);
  return name.size() == prefix.size() + 1 + local.size() &&
         name.starts_with(prefix) && name[prefix.size()] == ':' &&
         name.ends_with(local);
}

// ---- Lists and nodes --------------------------------------------------------

// One node of a list: an element (its text is gathered on demand) or a
// finished text (a trimmed text run, CDATA, a comment or a PI).
struct Item {
  xmlNode* element = nullptr;
  std::string text;
};

// The child nodes of an element as the platform DOM without preserved
// white space shows them.
std::vector<Item> ItemsOf(xmlNode* element) {
  std::vector<Item> items;
  std::string run;
  ChildCursor children(element->children);
  for (;;) {
    xmlNode* node = children.Next();
    if (node != nullptr && node->type == XML_TEXT_NODE) {
      run.append(ContentOf(node));
      continue;
    }
    if (!IsSpaceOnly(run))
      items.push_back(Item{nullptr, std::string(Trim(run))});
    run.clear();
    if (node == nullptr) break;
    switch (node->type) {
      case XML_ELEMENT_NODE:
        items.push_back(Item{node, {}});
        break;
      case XML_CDATA_SECTION_NODE:
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        items.push_back(Item{nullptr, std::string(ContentOf(node))});
        break;
      default:
        break;
    }
  }
  return items;
}

class Libxml2NodeList final : public XmlNodeList {
 public:
  Libxml2NodeList(Tree tree, std::vector<Item> items)
      : m_tree(std::move(tree)), m_items(std::move(items)) {}

  bool GetLength(int32_t* length) override {
    if (length == nullptr || m_items.size() > static_cast<size_t>(INT32_MAX)) {
      return false;
    }
    *length = static_cast<int32_t>(m_items.size());
    return true;
  }

  void Reset() override {}

  std::unique_ptr<XmlNode> GetItem(int32_t index) override;

 private:
  Tree m_tree;
  std::vector<Item> m_items;
};

class Libxml2Node final : public XmlNode {
 public:
  Libxml2Node(Tree tree, Item item)
      : m_tree(std::move(tree)), m_item(std::move(item)) {}

  bool GetChildNodes(std::unique_ptr<XmlNodeList>* children) override {
    if (children == nullptr) return false;
    std::vector<Item> items;
    if (m_item.element != nullptr) items = ItemsOf(m_item.element);
    children->reset(new (std::nothrow)
                        Libxml2NodeList(m_tree, std::move(items)));
    return *children != nullptr;
  }

  bool GetText(std::u16string* text) override {
    if (text == nullptr) return false;
    if (m_item.element != nullptr) {
      return ToUtf16(TextOfElement(m_item.element), text);
    }
    return ToUtf16(m_item.text, text);
  }

 private:
  Tree m_tree;
  Item m_item;
};

std::unique_ptr<XmlNode> Libxml2NodeList::GetItem(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= m_items.size()) return nullptr;
  return std::unique_ptr<XmlNode>(new (std::nothrow)
                                      Libxml2Node(m_tree, m_items[index]));
}

// ---- Loading ----------------------------------------------------------------

std::u16string Ascii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

std::u16string Number(long long n) { return Ascii(std::to_string(n)); }


// The file is opened here rather than by libxml2, which would also take
// "-" for standard input, URLs, and compressed files.
class InputFile {
 public:
  explicit InputFile(const char* path)
      : m_fd(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)),
        m_openError(m_fd < 0 ? errno : 0) {}
  ~InputFile() {
    if (m_fd >= 0) close(m_fd);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // A regular file (not a directory, FIFO or device), and its size; else
  // the reason why not.
  bool IsRegular(uint64_t* size, std::u16string* reason) const {
    struct stat status {};
    if (m_fd < 0) {
      *reason = m_openError == ENOENT || m_openError == ENOTDIR
                    ? u"not found"
                    : u"cannot be opened: " + Ascii(std::strerror(m_openError));
      return false;
    }
    if (fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
      *reason = u"not a regular file";
      return false;
    }
    *size = static_cast<uint64_t>(status.st_size);
    return true;
  }

  // libxml2's read callback: bytes read, 0 at the end, -1 on an error.
  static int Read(void* self, char* buffer, int size) {
    const int fd = static_cast<InputFile*>(self)->m_fd;
    for (;;) {
      const ssize_t got = read(fd, buffer, static_cast<size_t>(size));
      if (got >= 0) return static_cast<int>(got);
      if (errno != EINTR) return -1;
    }
  }

  // The descriptor belongs to this object, not to libxml2.
  static int Close(void* /*self*/) { return 0; }

 private:
  int m_fd;
  int m_openError;
};

void IgnoreMessage(void* /*context*/, const char* /*format*/, ...) {}

// libxml2 reports most errors to the parser context, which is silenced
// per parse, but encoding and I/O errors go to its per-thread handlers.
// Those are caught here while a parse runs, so that nothing reaches stderr,
// and such an error fails the load; the handlers are restored afterwards.
class ErrorCapture {
 public:
  ErrorCapture()
      : m_structured(xmlStructuredError),
        m_structured_context(xmlStructuredErrorContext),
        m_generic(xmlGenericError),
        m_generic_context(xmlGenericErrorContext) {
    xmlSetStructuredErrorFunc(this, [](void* self, auto* error) {
      if (error != nullptr && error->level >= XML_ERR_ERROR) {
        static_cast<ErrorCapture*>(self)->m_failed = true;
      }
    });
    xmlSetGenericErrorFunc(nullptr, &IgnoreMessage);
  }
  ~ErrorCapture() {
    xmlSetStructuredErrorFunc(m_structured_context, m_structured);
    xmlSetGenericErrorFunc(m_generic_context, m_generic);
  }
  ErrorCapture(const ErrorCapture&) = delete;
  ErrorCapture& operator=(const ErrorCapture&) = delete;

  bool failed() const { return m_failed; }

 private:
  xmlStructuredErrorFunc m_structured;
  void* m_structured_context;
  xmlGenericErrorFunc m_generic;
  void* m_generic_context;
  bool m_failed = false;
};

struct ParserContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// libxml2 silently drops bytes at the end of the file that do not decode
// (an odd byte or an unpaired surrogate in UTF-16, an undefined code in a
// single-byte charset), but such a file is not well-formed.
bool HasUndecodedTail(const xmlParserCtxt& context) {
  const xmlParserInput* input = context.input;
  return input != nullptr && input->buf != nullptr &&
         input->buf->raw != nullptr && xmlBufUse(input->buf->raw) > 0;
}

// Where the parser stopped, from its last error.
std::u16string NotWellFormed(const xmlParserCtxt& context) {
  const xmlError& error = context.lastError;
  if (error.line <= 0) return u"not well-formed";
  std::u16string reason = u"not well-formed at line " + Number(error.line);
  if (error.int2 > 0) reason += u", column " + Number(error.int2);
  return reason;
}

class Libxml2Document final : public XmlDocument {
 public:
  LoadResult Load(const std::u16string& path) override;
  std::u16string FailureReason() const override { return m_failure; }
  bool GetElementsByTagName(const std::u16string& name,
                            std::unique_ptr<XmlNodeList>* elements) override;

 private:
  LoadResult Fail(std::u16string reason) {
    m_failure = std::move(reason);
    return LoadResult::kNotLoaded;
  }

  Tree m_tree;
  std::u16string m_failure;
};

XmlDocument::LoadResult Libxml2Document::Load(const std::u16string& path) {
  m_tree.reset();
  m_failure.clear();
  std::string file_name;
  if (path.empty() || !ToUtf8(path, &file_name) ||
      file_name.find('\0') != std::string::npos) {
    return Fail(u"not found (no file can have this name)");
  }
  InputFile file(file_name.c_str());
  uint64_t file_size = 0;
  std::u16string reason;
  if (!file.IsRegular(&file_size, &reason)) return Fail(std::move(reason));

  std::unique_ptr<xmlParserCtxt, ParserContextDeleter> context(
      xmlNewParserCtxt());
  if (context == nullptr || context->sax == nullptr) {
    return LoadResult::kCallFailed;
  }
  context->sax->serror = [](void* /*user_data*/, auto* /*error*/) {};
  // Process-wide defaults could turn these on; this reader never wants them.
  context->loadsubset = 0;
  context->validate = 0;
  context->replaceEntities = 0;

  std::unique_ptr<xmlDoc, DocDeleter> doc;
  bool capture_failed = false;
  {
    ErrorCapture capture;
    doc.reset(xmlCtxtReadIO(context.get(), &InputFile::Read, &InputFile::Close,
                            &file, nullptr, nullptr, kParseOptions));
    capture_failed = capture.failed();
  }
  // libxml2 keeps a document with namespace errors; the platform DOM does
  // not, so neither does this reader.
  if (doc == nullptr || capture_failed || !context->wellFormed ||
      !context->nsWellFormed || xmlDocGetRootElement(doc.get()) == nullptr) {
    if (file_size == 0) return Fail(u"not well-formed: the file is empty");
    return Fail(NotWellFormed(*context));
  }
  if (HasUndecodedTail(*context)) {
    return Fail(u"not well-formed: bytes at the end of the file do not decode");
  }
  const uint64_t limit = file_size > (kUnbounded - kMaxExpansion) / 2
                             ? kUnbounded
                             : 2 * file_size + kMaxExpansion;
  if (ExpandedSize().Of(doc->children) > limit) {
    return Fail(u"over a limit: its entities expand to more than twice the file size plus " +
                Number(static_cast<long long>(kMaxExpansion)) + u" nodes and bytes");
  }

  m_tree = Tree(doc.release(), DocDeleter());
  return LoadResult::kLoaded;
}

bool Libxml2Document::GetElementsByTagName(
    const std::u16string& name, std::unique_ptr<XmlNodeList>* elements) {
  if (elements == nullptr) return false;
  std::vector<Item> found;
  std::string wanted;
  // Before a load there are no elements; a name with an unpaired surrogate
  // matches none.
  if (m_tree != nullptr && ToUtf8(name, &wanted)) {
    std::vector<ChildCursor> open;
    open.emplace_back(m_tree->children);
    while (!open.empty()) {
      xmlNode* node = open.back().Next();
      if (node == nullptr) {
        open.pop_back();
        continue;
      }
      if (node->type != XML_ELEMENT_NODE) continue;
      if (HasQualifiedName(node, wanted)) found.push_back(Item{node, {}});
      open.emplace_back(node->children);
    }
  }
  elements->reset(new (std::nothrow) Libxml2NodeList(m_tree, std::move(found)));
  return *elements != nullptr;
}

}  // namespace

Libxml2Reader::Libxml2Reader() { xmlInitParser(); }

std::unique_ptr<XmlDocument> Libxml2Reader::CreateDocument() {
  return std::unique_ptr<XmlDocument>(new (std::nothrow) Libxml2Document());
}

bool Libxml2Reader::Identify(const std::u16string& path, FileIdentity* identity) {
  std::string file_name;
  struct stat status {};
  if (path.empty() || !ToUtf8(path, &file_name) || file_name.find('\0') != std::string::npos ||
      stat(file_name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return false;
  }
  identity->device = static_cast<uint64_t>(status.st_dev);
  identity->file = static_cast<uint64_t>(status.st_ino);
  identity->size = static_cast<uint64_t>(status.st_size);
  constexpr int64_t kNanos = 1000 * 1000 * 1000;
  identity->modified = static_cast<int64_t>(status.st_mtim.tv_sec) * kNanos + status.st_mtim.tv_nsec;
  // File times advance by clock ticks: a version younger than two seconds
  // could be followed, within its tick, by a same-sized edit that keeps the
  // time, so it is not trusted yet.
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  const int64_t age = static_cast<int64_t>(now.tv_sec) * kNanos + now.tv_nsec - identity->modified;
  identity->settled = age > 2 * kNanos;
  return true;
}

}  // namespace vellumtrace
