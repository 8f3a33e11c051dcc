#include "platform/linux/libxml2_reader.h"

#include <fcntl.h>
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
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/linux/libxml2_node_text.h"
#include "platform/linux/libxml2_tree.h"
#include "text/utf_codec.h"

// The loading half of the reader: the file, the parse, its errors and the
// limit on entity expansion. How nodes and texts are produced from the
// loaded tree is in libxml2_node_text.cpp.
namespace vellumtrace {
namespace {

using libxml2::AsView;
using libxml2::ChildCursor;
using libxml2::ContentOf;
using libxml2::EntityOf;
using libxml2::Tree;

// Entity references share one copy of their content in the tree, but every
// walk of the tree expands them, so a few nested entities could stand for
// billions of nodes. Expanded, a document may weigh (nodes plus bytes of
// text) at most twice its file size plus this much.
constexpr uint64_t kMaxExpansion = uint64_t{1} << 24;
constexpr uint64_t kUnbounded = std::numeric_limits<uint64_t>::max();

// No entity substitution by the parser: it would fetch external entities.
// Internal entities are expanded by the walks over the tree instead
// (ChildCursor).
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

// Fails on an unpaired surrogate, which no file name or XML name can hold.
bool ToUtf8(std::u16string_view in, std::string* out) {
  out->clear();
  return AppendUtf8(*out, in, LoneSurrogate::kRefuse);
}

// ---- Entities ---------------------------------------------------------------

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

// An element's name as written, prefix included.
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
  std::vector<xmlNode*> found;
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
      if (HasQualifiedName(node, wanted)) found.push_back(node);
      open.emplace_back(node->children);
    }
  }
  *elements = libxml2::ElementList(m_tree, found);
  return true;
}

}  // namespace

Libxml2Reader::Libxml2Reader(Clock clock) : Libxml2Reader() { m_clock = clock; }

Libxml2Reader::Libxml2Reader() {
  // libxml2 wants its one-time set-up done once, before threads parse; a
  // reader may be the first thing a new thread makes.
  static std::once_flag initialised;
  std::call_once(initialised, [] { xmlInitParser(); });
}

std::unique_ptr<XmlDocument> Libxml2Reader::CreateDocument() {
  return std::make_unique<Libxml2Document>();
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
  identity->settled = IsSettled(m_clock() - identity->modified);
  return true;
}

int64_t Libxml2Reader::RealTime() {
  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 * 1000 * 1000 + now.tv_nsec;
}

}  // namespace vellumtrace
