#ifndef VELLUMTRACE_PLATFORM_LINUX_LIBXML2_TREE_H_
#define VELLUMTRACE_PLATFORM_LINUX_LIBXML2_TREE_H_

#include <libxml/entities.h>
#include <libxml/tree.h>

#include <memory>
#include <string_view>
#include <vector>

// A tree parsed by libxml2 as both halves of the reader see it: the loading
// (libxml2_reader.cpp) and the text rules (libxml2_node_text.cpp).
namespace vellumtrace::libxml2 {

// The parsed tree, shared by its document and by every list and node taken
// from it, so that none of them can outlive it.
using Tree = std::shared_ptr<xmlDoc>;

inline std::string_view AsView(const xmlChar* text) {
  return text == nullptr
             ? std::string_view()
             : std::string_view(reinterpret_cast<const char*>(text));
}

// The characters of a text, CDATA, comment or PI node; other node kinds
// (a DTD node among them) do not even share the content field.
inline std::string_view ContentOf(const xmlNode* node) {
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

// The entity an entity reference stands for, when it stands for any content:
// only internal general entities do. External ones are never loaded, and a
// reference to an undeclared entity has none.
inline const xmlEntity* EntityOf(const xmlNode* reference) {
  const xmlNode* declaration = reference->children;
  if (declaration == nullptr || declaration->type != XML_ENTITY_DECL) {
    return nullptr;
  }
  const auto* entity = reinterpret_cast<const xmlEntity*>(declaration);
  return entity->etype == XML_INTERNAL_GENERAL_ENTITY ? entity : nullptr;
}

// Steps through the children of a node in order, reading the content of each
// entity reference as if it were written in its place. Relies on the load
// having refused entity loops.
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

}  // namespace vellumtrace::libxml2

#endif  // VELLUMTRACE_PLATFORM_LINUX_LIBXML2_TREE_H_
