#include "platform/linux/libxml2_node_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "text/utf_codec.h"

// libxml2 hands out UTF-8; the texts are gathered in UTF-8 and converted to
// UTF-16 once, when a node's text is asked for.
namespace vellumtrace::libxml2 {
namespace {

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

// Strict: libxml2 only hands out valid UTF-8, so anything else is a fault
// to report rather than to paper over.
bool ToUtf16(std::string_view in, std::u16string* out) {
  return DecodeUtf8(in, out, nullptr);
}

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
    *children = std::make_unique<Libxml2NodeList>(m_tree, std::move(items));
    return true;
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
  return std::make_unique<Libxml2Node>(m_tree, m_items[index]);
}

}  // namespace

std::unique_ptr<XmlNodeList> ElementList(Tree tree, const std::vector<xmlNode*>& elements) {
  std::vector<Item> items;
  items.reserve(elements.size());
  for (xmlNode* element : elements) items.push_back(Item{element, {}});
  return std::make_unique<Libxml2NodeList>(std::move(tree), std::move(items));
}

}  // namespace vellumtrace::libxml2
