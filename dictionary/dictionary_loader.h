#ifndef VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_
#define VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_

#include <memory>
#include <string_view>

#include "dictionary/rule_list.h"

namespace vellumtrace {

class Diagnostic;
class XmlDocument;
class XmlNode;
class XmlReader;

// A new configured document, or null after writing the diagnostic.
std::unique_ptr<XmlDocument> OpenDictionaryDocument(XmlReader& reader,
                                                    Diagnostic& diagnostic);

// Parses `path` into a new document. Null when the file could not be
// loaded; a failing reader call also writes the diagnostic.
std::unique_ptr<XmlDocument> LoadDictionaryDocument(const std::u16string& path,
                                                    XmlReader& reader,
                                                    Diagnostic& diagnostic);

// Appends the items of every element named `name` to `list`, in document
// order. Returns false, after writing the diagnostic, when the elements
// cannot be had.
bool ReadSection(XmlDocument& document, std::u16string_view name,
                 RuleList& list, Diagnostic& diagnostic);

// Appends the text of every child node of `section` to `list`.
void ReadSectionItems(XmlNode& section, RuleList& list, Diagnostic& diagnostic);

}  // namespace vellumtrace

#endif  // VELLUMTRACE_DICTIONARY_DICTIONARY_LOADER_H_
