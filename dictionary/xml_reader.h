#ifndef VELLUMTRACE_DICTIONARY_XML_READER_H_
#define VELLUMTRACE_DICTIONARY_XML_READER_H_

#include <cstdint>
#include <memory>
#include <string>

#include "dictionary/file_identity.h"

namespace vellumtrace {

// The few DOM operations the dictionary loader needs. Each platform gives
// one implementation (libxml2 on Linux, MSXML on Windows); both must yield
// the same nodes and texts for the same file.
//
// Node text follows the platform DOM with white space not preserved:
//  - white-space-only text runs (space, tab, CR, LF) are no nodes at all;
//  - a text run: its characters without leading and trailing white space;
//  - a CDATA section or a comment: its characters exactly;
//  - a processing instruction: what follows its target and the white space
//    after it;
//  - an element: the text and CDATA of its descendants in document order
//    (no comments or PIs); dropped white-space-only runs between two
//    non-empty pieces become one space; then leading and trailing white
//    space of the whole is trimmed, except white space of a CDATA section
//    at the edge.

class XmlNodeList;

class XmlNode {
 public:
  virtual ~XmlNode() = default;
  // All child nodes in order (elements, text, CDATA, comments, PIs).
  // Returns false when the children cannot be had.
  virtual bool GetChildNodes(std::unique_ptr<XmlNodeList>* children) = 0;
  // Returns false when the text cannot be had.
  virtual bool GetText(std::u16string* text) = 0;
};

class XmlNodeList {
 public:
  virtual ~XmlNodeList() = default;
  virtual bool GetLength(int32_t* length) = 0;
  virtual void Reset() = 0;
  // The node at a 0-based index, or null when there is none.
  virtual std::unique_ptr<XmlNode> GetItem(int32_t index) = 0;
};

class XmlDocument {
 public:
  enum class LoadResult {
    kCallFailed,  // the reader itself failed
    kNotLoaded,   // missing, unreadable or malformed file
    kLoaded,
  };

  virtual ~XmlDocument() = default;
  // Parses the file synchronously, without validation, fetching nothing
  // outside the file (no external entities, no external DTD).
  virtual LoadResult Load(const std::u16string& path) = 0;
  // After kNotLoaded: why, in a few words ("not found", "not a regular
  // file", "not well-formed at line 3, column 7", ...); empty if unknown.
  virtual std::u16string FailureReason() const { return {}; }
  // Every element whose name, as written, equals `name` exactly, in
  // document order. Returns false when the collection cannot be had.
  virtual bool GetElementsByTagName(const std::u16string& name,
                                    std::unique_ptr<XmlNodeList>* elements) = 0;
};

class XmlReader {
 public:
  virtual ~XmlReader() = default;
  // A new, empty, configured document, or null when none can be made.
  virtual std::unique_ptr<XmlDocument> CreateDocument() = 0;
  // The identity of the file a document would load from `path`, so that a
  // compiled dictionary can be reused while the file stays the same. False
  // when it cannot be had (nothing is then cached).
  virtual bool Identify(const std::u16string& /*path*/, FileIdentity* /*identity*/) {
    return false;
  }
};

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_XML_READER_H_
